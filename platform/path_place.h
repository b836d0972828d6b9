// Where a path a page gives leads: the one way every command finds a file.
//
// A path (UTF-8 bytes, as the page gave it) is a folder part, everything up
// to its last '/', and a name, what follows ("." when it ends in '/'). The
// folder part is opened first and the name looked up in that open folder,
// so a path works whenever the system takes its folder part and its name
// each on its own, also when the two together run past its limit for a
// whole path (4096 bytes). The writer (file_writer.h) and every reader of a
// page's paths (read_only_file.h) find their files so: what one command
// writes, the others read.
//
// Stands for the path handling of CreateFileW. Any thread.
#pragma once

#include <string>

#include "platform/descriptor.h"
#include "platform/error.h"

namespace platform {

struct PathPlace {
  Descriptor folder;  // opened only to find names in
  std::string name;   // the last part of the path, looked up in `folder`
};

// The folder part of `path`, ending in '/'; "./" when it has none.
std::string folderPart(const std::string& path);

// The place of `path`, a relative folder part read from the open folder
// `from`. Fails for `path` with the errno of opening its folder part; an
// empty path names nothing (ENOENT).
Result<PathPlace> placeOf(const std::string& path, int from);
// The same from the working folder.
Result<PathPlace> placeOf(const std::string& path);

}  // namespace platform
