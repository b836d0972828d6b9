#include "platform/directory.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace platform {

bool createDirectory(const std::string& path) {
  return ::mkdir(path.c_str(), 0777) == 0;
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

NewFile createNewFile(const std::string& path) {
  const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (descriptor >= 0) {
    ::close(descriptor);
    return NewFile::kCreated;
  }
  return errno == EEXIST ? NewFile::kExists : NewFile::kFailed;
}

}  // namespace platform
