// Opening documents, folders and web addresses, and starting programs, the
// way the desktop would on a double click: a program is started detached,
// anything else is handed to the desktop's default handler.
//
// shellOpen fails with ENOENT when the file does not exist, ENOTDIR when
// the working directory does not, and ENOTSUP when nothing could be started:
// no handler for the operation, or the program or handler would not start
// (its reason then tells why). Pages know the outcome as a ShellExecuteW-style
// code, which shellExecuteCode makes. Success only means that the program or
// the desktop's default handler (`xdg-open`, found on $PATH at each call) is
// running; what it later does with the document is not observed.
//
// Blocks only until the started program has been handed to the system; safe
// from any thread.
#pragma once

#include <string>

#include "platform/error.h"

namespace platform {

// The codes pages compare: above 32 means started, 32 or less names the
// failure.
enum ShellOpenCode : int {
  kShellFileNotFound = 2,    // the file does not exist
  kShellPathNotFound = 3,    // the working directory does not exist
  kShellNoAssociation = 31,  // no handler for the operation, or it could not start
  kShellStarted = 42,
};

// `operation` is a shell verb, compared without regard to case:
//  - "open" or "": a folder, a web address (any "scheme:" text) or a file that
//    is not a program is opened with the default handler; an executable file
//    is started with `parameters` split into arguments as a shell would
//    (shell_words.h). Parameters are not given to the default handler.
//  - "explore": a folder is opened with the default handler; anything else
//    fails with ENOTSUP.
//  - any other verb fails with ENOTSUP: nothing here prints or edits.
// A relative `file` is looked up in `directory`, then in the working
// directory, and a bare name last on $PATH. `directory` (empty: ours) becomes
// the working directory of whatever is started. Bytes are passed on as they
// are, so UTF-8 names work on the UTF-8 file systems we run on.
Status shellOpen(const std::string& operation, const std::string& file,
                 const std::string& parameters, const std::string& directory);

// The code pages know for what shellOpen answered.
ShellOpenCode shellExecuteCode(const Status& opened);

}  // namespace platform
