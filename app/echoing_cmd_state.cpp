#include "app/echoing_cmd_state.h"

#include <cstdio>
#include <ctime>

#include "bridge/log_file.h"

namespace app {

void EchoingCmdState::log(const std::string& message) {
  CmdState::log(message);
  if (!echo_) return;
  const std::string line =
      bridge::timeStamp(std::time(nullptr)) + ": " + message.substr(0, message.find('\0')) + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

}  // namespace app
