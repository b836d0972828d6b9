// One message for whatever a command threw.
#pragma once

#include <string>

namespace bridge {

// The message of the exception being handled: CmdException, the runtime's
// Exception, the text thrown by the runtime's number conversions, a jsoncpp
// error, any std::exception, or "unknown failure". Call it only inside a
// catch block.
std::string currentFailure();

}  // namespace bridge
