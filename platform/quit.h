// Ending the GUI event loop.
#pragma once

namespace platform {

// Asks the GUI thread's event loop to end with `exitCode`. The request is
// queued, so the command that asks still finishes and stores its answer
// before the loop returns. Stands for PostQuitMessage.
void postQuit(int exitCode);

}  // namespace platform
