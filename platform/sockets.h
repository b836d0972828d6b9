// Socket start-up.
#pragma once

namespace platform {

// Prepares the process for socket use; returns 0 on success or an error code.
// Here sockets need no start-up, but a write to a peer that has gone would
// raise SIGPIPE and end the whole shell, so that signal is ignored: such a
// write then fails with EPIPE and the command reports it. Stands for
// WSAStartup 2.2.
int socketsStartup();

}  // namespace platform
