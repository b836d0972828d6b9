// The shell's main event loop, and whether the GUI thread is running in it
// and in no loop nested inside it (a dialog's, a script's own confirm()).
//
// GUI thread only.
#pragma once

class QApplication;

namespace app {

// Runs `application`'s event loop until it ends; returns its exit code.
int runMainLoop(QApplication& application);

// True when no event loop runs nested in the main one: before the main loop
// starts, while no loop runs at all; after that, in the main loop itself.
bool inOutermostLoop();

}  // namespace app
