// The desktop commands: programs and documents, known folders, the window's
// title, state and geometry, the shell's arguments, the exit listener,
// whole-file save and load (as text or base64), folders and whole trees, and
// the open-file, save-file and choose-folder dialogs. Their arguments, answers and failures
// are described in bridge/commands.h.
//
// Every handler runs synchronously on the GUI thread inside dispatch; the
// dialogs are modal, so the page waits while they run a nested event loop.
// Paths and texts are UTF-8 both ways. A handler that needs the window throws
// CmdException when there is none, which dispatch answers as
// ["ERROR", message].
#pragma once

#include "bridge/command_calls.h"
