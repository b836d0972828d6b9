// File-system helpers.
#pragma once

#include <string>

#include "platform/error.h"

namespace platform {

// Makes sure the directory `path` (UTF-8) is there, creating its last level
// when it is missing; a directory already there is success. Fails with the
// errno of mkdir: EEXIST when something else stands at `path`, ENOENT when
// the parent is missing. A new directory gets mode 0777 less the umask.
Status createDirectory(const std::string& path);

// Makes sure the directory `path` (UTF-8) is there, creating every missing
// level, as createDirectory does each. Fails with EEXIST when something
// other than a directory stands at `path` or on the way to it.
Status createDirectories(const std::string& path);

// True when `path` (UTF-8) names a directory, following symbolic links.
bool isDirectory(const std::string& path);

// The folder for temporary files: $TMPDIR when it is set and not empty, else
// /tmp; always ending in '/'.
std::string tempFolder();

}  // namespace platform
