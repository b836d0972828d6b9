#include "platform/directory.h"

#include <sys/stat.h>

#include <cstdlib>
#include <string>

namespace platform {

Status createDirectory(const std::string& path) {
  if (::mkdir(path.c_str(), 0777) == 0) return Status();
  const Status failed = Status::fromErrno(path);
  return isDirectory(path) ? Status() : failed;
}

Status createDirectories(const std::string& path) {
  for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    const Status made = createDirectory(path.substr(0, slash));
    if (!made.ok()) return made;
  }
  return createDirectory(path);
}

bool isDirectory(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string tempFolder() {
  const char* configured = std::getenv("TMPDIR");
  std::string folder = configured != nullptr && *configured != '\0' ? configured : "/tmp";
  if (folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace platform
