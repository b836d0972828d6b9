#include "platform/sockets.h"

#include <cerrno>
#include <csignal>

namespace platform {

int socketsStartup() {
  return std::signal(SIGPIPE, SIG_IGN) == SIG_ERR ? errno : 0;
}

}  // namespace platform
