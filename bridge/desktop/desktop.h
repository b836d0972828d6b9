// The desktop commands: programs and documents, known folders, the window's
// title and state, the exit listener, whole-file save and load, and the
// open-file and choose-folder dialogs.
//
// Every handler runs synchronously on the GUI thread inside dispatch; the
// dialogs are modal, so the page waits while they run a nested event loop.
// Arguments are request positions read as text (UTF-8); paths and texts are
// UTF-8 both ways; a path or program argument with a NUL byte is refused.
// A handler that needs the window throws CmdException
// when there is none, which dispatch answers as ["ERROR", message].
#pragma once

#include "bridge/command_table.h"

namespace bridge::desktop {

// Request positions of the desktop commands' arguments.
namespace position {
inline constexpr Json::ArrayIndex kOperation = kFirstArgument;   // shellExecute
inline constexpr Json::ArrayIndex kFile = kFirstArgument + 1;    // shellExecute
inline constexpr Json::ArrayIndex kParameters = kFirstArgument + 2;
inline constexpr Json::ArrayIndex kDirectory = kFirstArgument + 3;
inline constexpr Json::ArrayIndex kFolderNumber = kFirstArgument;  // getKnownPath
inline constexpr Json::ArrayIndex kTitle = kFirstArgument;         // setTitle
inline constexpr Json::ArrayIndex kState = kFirstArgument;         // setWindowState
inline constexpr Json::ArrayIndex kListener = kFirstArgument;      // addExitListener
inline constexpr Json::ArrayIndex kPath = kFirstArgument;          // saveFile, loadFile
inline constexpr Json::ArrayIndex kContent = kFirstArgument + 1;   // saveFile
inline constexpr Json::ArrayIndex kCaption = kFirstArgument;       // the dialogs
inline constexpr Json::ArrayIndex kFilter = kFirstArgument + 1;    // showFileDialog
}  // namespace position

// 3 operation, 4 file, 5 parameters, 6 directory, 7 show command (unused:
// programs here decide how to show themselves). ["OK", "R" + code] with the
// code of platform/shell_open.h.
Answer shellExecute(CommandContext& context);
// 3 folder number (atoi). ["OK", path], or ["ERROR"] for an unknown number
// or a folder that could not be created.
Answer getKnownPath(CommandContext& context);

// 3 title. ["OK"].
Answer setTitle(CommandContext& context);
// 3 Qt::WindowState flags; a text that is no number means 15. ["OK", flags
// read back from the window, masked with 15].
Answer setWindowState(CommandContext& context);
// ["OK", flags masked with 15].
Answer getWindowState(CommandContext& context);
// ["OK"]; there is no task bar state to set.
Answer setTaskbarState(CommandContext& context);
// 3 callback identifier; replaces any earlier listener. ["OK"].
Answer addExitListener(CommandContext& context);
// ["OK"]; closing the window closes it at once again.
Answer removeExitListener(CommandContext& context);

// 3 path, 4 content. The file comes to hold exactly the content bytes, by
// the rules of platform/file_writer.h (links followed, mode and owner kept,
// read-only files refused, the old content whole on failure). ["OK", path]
// or ["ERROR", message].
Answer saveFile(CommandContext& context);
// 3 path. ["OK", content] with every byte of the regular file, or
// ["ERROR", message] (also for FIFOs, devices, sockets and folders).
Answer loadFile(CommandContext& context);

// 3 caption, 4 filter (Qt's filter syntax). ["OK", chosen file or ""].
Answer showFileDialog(CommandContext& context);
// 3 caption. ["OK", chosen folder or ""].
Answer showDirectoryDialog(CommandContext& context);

}  // namespace bridge::desktop
