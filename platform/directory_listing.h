// The entries of one folder, each seen as itself (a link is not followed),
// in byte order of their names.
//
// Plain functions; any thread.
#pragma once

#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/path_info.h"

namespace platform {

struct DirectoryEntry {
  std::string name;
  PathInfo info;
};

// The folder at `path` (a link to a folder is followed, as a name given for
// a folder is), "." and ".." left out. An entry that goes away while the
// folder is read is left out too.
Result<std::vector<DirectoryEntry>> listDirectory(const std::string& path);

}  // namespace platform
