// The desktop commands: programs and documents, known folders, the window's
// title and state, the exit listener, whole-file save and load, and the
// open-file and choose-folder dialogs. Their arguments, answers and failures
// are described in bridge/commands.h.
//
// Every handler runs synchronously on the GUI thread inside dispatch; the
// dialogs are modal, so the page waits while they run a nested event loop.
// Paths and texts are UTF-8 both ways. A handler that needs the window throws
// CmdException when there is none, which dispatch answers as
// ["ERROR", message].
#pragma once

#include "bridge/command_table.h"

namespace bridge::desktop {

// The code is that of platform/shell_open.h; the show command is not used:
// programs here decide how to show themselves.
Answer shellExecute(CommandContext& context);
// The folder number is read with atoi, as pages have always relied on.
Answer getKnownPath(CommandContext& context);

Answer setTitle(CommandContext& context);
// Flags read back from the window, masked with 15.
Answer setWindowState(CommandContext& context);
Answer getWindowState(CommandContext& context);
Answer setTaskbarState(CommandContext& context);
// Replaces any earlier listener.
Answer addExitListener(CommandContext& context);
Answer removeExitListener(CommandContext& context);

// The file comes to hold exactly the content bytes, by the rules of
// platform/file_writer.h (links followed, mode and owner kept, read-only
// files refused, the old content whole on failure).
Answer saveFile(CommandContext& context);
// Every byte of the regular file; FIFOs, devices, sockets and folders are
// refused.
Answer loadFile(CommandContext& context);

Answer showFileDialog(CommandContext& context);
Answer showDirectoryDialog(CommandContext& context);

}  // namespace bridge::desktop
