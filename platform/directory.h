// File-system helpers.
#pragma once

#include <string>

namespace platform {

// Creates one directory level at `path` (UTF-8). Failure, for example because
// the directory exists already or its parent does not, is reported by the
// return value only; callers that merely want the directory to be there
// ignore it. Stands for CreateDirectoryA without security attributes.
bool createDirectory(const std::string& path);

// True when `path` (UTF-8) names a directory, following symbolic links.
bool isDirectory(const std::string& path);

// The folder for temporary files: $TMPDIR when it is set and not empty, else
// /tmp; always ending in '/'. Stands for GetTempPathW.
std::string tempFolder();

}  // namespace platform
