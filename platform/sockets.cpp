#include "platform/sockets.h"

#include <csignal>

namespace platform {

Status socketsStartup() {
  return std::signal(SIGPIPE, SIG_IGN) == SIG_ERR ? Status::fromErrno("") : Status();
}

}  // namespace platform
