#include "platform/reserved_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace platform {
namespace {

bool sameFile(const struct stat& seen, std::uint64_t device, std::uint64_t inode) {
  return S_ISREG(seen.st_mode) && static_cast<std::uint64_t>(seen.st_dev) == device &&
         static_cast<std::uint64_t>(seen.st_ino) == inode;
}

}  // namespace

Result<ReservedFile> ReservedFile::create(const std::string& path) {
  const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (descriptor < 0) return Status::fromErrno(path);
  struct stat made {};
  if (::fstat(descriptor, &made) != 0) {
    const Status failed = Status::fromErrno(path);
    ::close(descriptor);
    ::unlink(path.c_str());
    return failed;
  }
  ::close(descriptor);
  ReservedFile reserved;
  reserved.path_ = path;
  reserved.device_ = static_cast<std::uint64_t>(made.st_dev);
  reserved.inode_ = static_cast<std::uint64_t>(made.st_ino);
  return reserved;
}

ReservedFile::ReservedFile(ReservedFile&& other) noexcept
    : path_(std::exchange(other.path_, std::string())),
      device_(other.device_),
      inode_(other.inode_),
      kept_(other.kept_) {}

ReservedFile& ReservedFile::operator=(ReservedFile&& other) noexcept {
  if (this != &other) {
    remove();
    path_ = std::exchange(other.path_, std::string());
    device_ = other.device_;
    inode_ = other.inode_;
    kept_ = other.kept_;
  }
  return *this;
}

ReservedFile::~ReservedFile() { remove(); }

Result<OutputFile> ReservedFile::open() const {
  // Non-blocking, so that a FIFO put at the name is refused instead of
  // waited on; a regular file ignores the flag.
  const int descriptor = ::open(path_.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) return Status::fromErrno(path_);
  OutputFile file(descriptor, path_);
  struct stat seen {};
  if (::fstat(descriptor, &seen) != 0) return Status::fromErrno(path_);
  if (!sameFile(seen, device_, inode_)) return Status::failure(EEXIST, path_);
  if (::ftruncate(descriptor, 0) != 0) return Status::fromErrno(path_);
  return file;
}

void ReservedFile::remove() {
  if (path_.empty()) return;
  struct stat seen {};
  if (!kept_ && ::lstat(path_.c_str(), &seen) == 0 && sameFile(seen, device_, inode_)) {
    ::unlink(path_.c_str());
  }
  path_.clear();
}

}  // namespace platform
