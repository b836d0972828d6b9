// Copying a file's bytes between open descriptors inside the kernel where
// it can: copy_file_range (which lets a file system share or clone the
// blocks), else sendfile, else plain reads and writes. Each piece copied is
// sent on to the disk at once, so that syncing the copy afterwards is short.
//
// Plain function; any thread.
#pragma once

#include <string>

#include "platform/error.h"

namespace platform {

// Copies everything from the current offset of `from` to the end into `to`.
// `path` names `to` in a failure.
Status copyFileContent(int from, int to, const std::string& path);

}  // namespace platform
