// Reading a page's file whole. Writing goes through file_writer.h.
//
// Only regular files are read: a FIFO, device, socket or folder is refused
// at once, and opening never blocks, so no path can hang the caller.
// Stands for CreateFileW and ReadFile.
#pragma once

#include <cstddef>
#include <string>

#include "platform/error.h"

namespace platform {

// Every byte of the regular file at `path` (UTF-8), read to its end whatever
// size the file system reports (files under /proc report 0). Fails with the
// reason "not a regular file" for anything else, and "file too large" for a
// file longer than `maxBytes`.
Result<std::string> loadWholeFile(const std::string& path, std::size_t maxBytes);

}  // namespace platform
