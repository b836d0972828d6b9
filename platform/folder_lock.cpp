#include "platform/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace platform {
namespace {
// Hidden, so that a page listing the folder sees only its own files.
constexpr const char* kLockName = "/.lock";
}  // namespace

Result<FolderLock> FolderLock::acquire(const std::string& folder) {
  if (::mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) return Status::fromErrno(folder);
  struct stat info {};
  if (::stat(folder.c_str(), &info) != 0) return Status::fromErrno(folder);
  if (!S_ISDIR(info.st_mode)) return Status::failure(ENOTDIR, folder);
  const std::string path = folder + kLockName;
  const int descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
  if (descriptor < 0) return Status::fromErrno(path);
  if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
    const int code = errno;
    ::close(descriptor);
    if (code == EWOULDBLOCK) return Status::failure(code, folder, "in use by another process");
    return Status::failure(code, path);
  }
  return FolderLock(descriptor);
}

FolderLock::FolderLock(FolderLock&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)) {}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept {
  if (this != &other) {
    if (descriptor_ >= 0) ::close(descriptor_);
    descriptor_ = std::exchange(other.descriptor_, -1);
  }
  return *this;
}

FolderLock::~FolderLock() {
  if (descriptor_ >= 0) ::close(descriptor_);
}

}  // namespace platform
