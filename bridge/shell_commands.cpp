// The commands of no family: log, exit and version.
#include "bridge/cmd_state.h"
#include "bridge/command_calls.h"
#include "bridge/exit_request.h"

namespace bridge::shell {

Answer log(LogCall& call) {
  call.cmdState().log(call.message());
  return okAnswer();
}

// The quit is queued: this answer still reaches `result` before the loop ends.
// Exit listeners are not consulted.
Answer exit(ExitCall&) {
  requestExit(0);
  return okAnswer();
}

Answer version(VersionCall&) { return okAnswer(kProtocolVersion, kShellBuildTag); }

}  // namespace bridge::shell
