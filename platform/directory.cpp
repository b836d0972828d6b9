#include "platform/directory.h"

#include <sys/stat.h>

namespace platform {

bool createDirectory(const std::string& path) {
  return ::mkdir(path.c_str(), 0777) == 0;
}

bool isDirectory(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace platform
