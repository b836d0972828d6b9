// Socket start-up.
#pragma once

#include "platform/error.h"

namespace platform {

// Prepares the process for socket use. Here sockets need no start-up, but a
// write to a peer that has gone would raise SIGPIPE and end the whole shell,
// so that signal is ignored: such a write then fails with EPIPE and the
// command reports it. Fails with the errno of signal.
Status socketsStartup();

}  // namespace platform
