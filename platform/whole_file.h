// Whole-file load and save for the page's files.
//
// Both take UTF-8 paths and return an error text: empty on success, else the
// system's reason ("No such file or directory", "not a regular file", ...).
// Only regular files are read or written: a FIFO, device, socket or folder is
// refused at once, and opening never blocks, so no path can hang the caller.
// Stand for CreateFileW, ReadFile, WriteFile and MoveFileExW.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// Reads every byte of the regular file at `path` into `content`, to its end
// whatever size the file system reports (files under /proc report 0). A file
// longer than `maxBytes` is refused with "file too large".
std::string loadWholeFile(const std::string& path, std::string& content, std::size_t maxBytes);

// Makes the file at `path` hold exactly `content`. A symbolic link is followed
// to its target. A plain file (one link, in a folder that may be written) is
// replaced atomically: a new file beside it takes its permissions and is
// renamed over it once written and synced, so a failure (a full disk, the
// file size limit) leaves the old content as it was. A file with several
// hard links, or in a folder that may not be written, is written in place so
// that every link keeps seeing it; its space is reserved before the first
// byte changes, so a full disk is still found before anything is lost.
std::string saveWholeFile(const std::string& path, const std::string& content);

}  // namespace platform
