// Ending the shell on the page's `exit` command.
//
// GUI thread only.
#pragma once

#include <optional>

namespace bridge {

// Asks the shell to end with `exitCode`. The request is queued, so the
// command that asks still stores its answer; then every event loop running
// at that moment ends, a modal dialog's as well as the main loop. A request
// made before the main loop runs (a page that exits while it loads, maybe
// from inside a dialog) is kept: the main loop then does not start.
void requestExit(int exitCode);

// The exit code asked for, once an exit has been requested.
std::optional<int> requestedExit();

}  // namespace bridge
