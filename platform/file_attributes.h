// Extended attributes of open files: user data, access control lists,
// security labels.
//
// Functions of open descriptors; any thread.
#pragma once

#include <string>

#include "platform/error.h"

namespace platform {

// Gives the file open at `to` the extended attributes of the file open at
// `from`, and takes from it those `from` lacks (such as an access control
// list it took from its folder). User attributes (user.*) and those the
// system keeps for itself, access control lists among them (system.*),
// must all come across: the first that does not fails the copy, leaving
// `to` with some of them. The rest (security.*, trusted.*), which the
// system lets only some users set, come across where it lets us and are
// otherwise left out. A file system without extended attributes has none
// to copy. `path` names `to` in the failure.
Status copyAttributes(int from, int to, const std::string& path);

}  // namespace platform
