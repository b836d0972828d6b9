#include "platform/path_place.h"

#include <fcntl.h>

#include <cerrno>

namespace platform {

std::string folderPart(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "./" : path.substr(0, slash + 1);
}

Result<PathPlace> placeOf(const std::string& path, int from) {
  if (path.empty()) return Status::failure(ENOENT, path);
  PathPlace place;
  // Search permission on the folder is enough to find names in it.
  place.folder.reset(::openat(from, folderPart(path).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (!place.folder.valid()) return Status::fromErrno(path);
  place.name = path.substr(path.rfind('/') + 1);
  if (place.name.empty()) place.name = ".";
  return place;
}

Result<PathPlace> placeOf(const std::string& path) { return placeOf(path, AT_FDCWD); }

}  // namespace platform
