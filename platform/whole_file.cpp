#include "platform/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <mutex>

namespace platform {
namespace {

const char kNotRegular[] = "not a regular file";

std::string systemError(int code) { return std::strerror(code); }

// Closes on every path.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;

  int get() const { return fd_; }
  // Closes now and reports the close's own failure (NFS reports late).
  int close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result == 0 ? 0 : errno;
  }

 private:
  int fd_;
};

int writeAll(int fd, const std::string& content) {
  const char* p = content.data();
  std::size_t left = content.size();
  while (left > 0) {
    const ssize_t written = ::write(fd, p, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    p += written;
    left -= static_cast<std::size_t>(written);
  }
  return 0;
}

// Reserves the file's blocks up to `size`, so that writing that far cannot
// meet a full disk or the file size limit. A file system that cannot reserve
// is written without.
int reserve(int fd, std::size_t size) {
  if (size == 0) return 0;
  const int code = ::posix_fallocate(fd, 0, static_cast<off_t>(size));
  return code == EOPNOTSUPP || code == EINVAL ? 0 : code;
}

// Past the file size limit the system would end the process with SIGXFSZ;
// ignored, the write fails with EFBIG and the page is told.
void ignoreFileSizeSignal() {
  static std::once_flag once;
  std::call_once(once, [] { std::signal(SIGXFSZ, SIG_IGN); });
}

// `path` with symbolic links followed to the file they name (which need not
// exist yet). Gives up after 40 links, as the system does.
std::string followLinks(std::string path, int& error) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    std::string target(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 255) + 1, '\0');
    const ssize_t length = ::readlink(path.c_str(), &target[0], target.size());
    if (length < 0) {
      error = errno;
      return path;
    }
    target.resize(static_cast<std::size_t>(length));
    if (target.empty() || target[0] != '/') {
      const std::size_t slash = path.rfind('/');
      if (slash != std::string::npos) target = path.substr(0, slash + 1) + target;
    }
    path = target;
  }
  error = ELOOP;
  return path;
}

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Creates a new file beside `path` for the replacement; -1 with errno set
// when the folder takes none.
int createSibling(const std::string& path, std::string& siblingPath) {
  static std::atomic<unsigned> counter{0};
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  for (int attempt = 0; attempt < 100; ++attempt) {
    siblingPath = folder + "." + name + ".save-" + std::to_string(::getpid()) + "-" +
                  std::to_string(counter++);
    const int fd = ::open(siblingPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

// Makes the rename durable. Failing that, the rename still stands.
void syncFolder(const std::string& folder) {
  Descriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() >= 0) ::fsync(fd.get());
}

// Writes a new file beside `path` and renames it over `path`. `existing` is
// the old file's status, or null when there is none.
int replaceAtomically(const std::string& path, const std::string& content,
                      const struct stat* existing) {
  std::string sibling;
  Descriptor fd(createSibling(path, sibling));
  if (fd.get() < 0) return errno;
  int code = 0;
  if (existing != nullptr) {
    if (::fchmod(fd.get(), existing->st_mode & 07777) != 0) code = errno;
    if (::fchown(fd.get(), existing->st_uid, existing->st_gid) != 0) {
      // Only the superuser may give a file away; anyone else's replacement
      // stays their own, as a file they wrote in place would.
    }
  }
  if (code == 0) code = reserve(fd.get(), content.size());
  if (code == 0) code = writeAll(fd.get(), content);
  if (code == 0 && ::fsync(fd.get()) != 0) code = errno;
  if (code == 0) code = fd.close();
  if (code == 0 && ::rename(sibling.c_str(), path.c_str()) != 0) code = errno;
  if (code != 0) {
    ::unlink(sibling.c_str());
    return code;
  }
  syncFolder(folderOf(path));
  return 0;
}

int writeInPlace(const std::string& path, const std::string& content) {
  Descriptor fd(::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (fd.get() < 0) return errno;
  struct stat info;
  if (::fstat(fd.get(), &info) != 0) return errno;
  if (!S_ISREG(info.st_mode)) return -1;
  int code = reserve(fd.get(), content.size());
  if (code == 0) code = writeAll(fd.get(), content);
  if (code == 0 && ::ftruncate(fd.get(), static_cast<off_t>(content.size())) != 0) code = errno;
  if (code == 0 && ::fsync(fd.get()) != 0) code = errno;
  if (code == 0) code = fd.close();
  return code;
}

// -1 stands for a path that is there but is no regular file.
std::string describe(int code) {
  if (code == 0) return std::string();
  return code == -1 ? kNotRegular : systemError(code);
}

}  // namespace

std::string loadWholeFile(const std::string& path, std::string& content, std::size_t maxBytes) {
  // Without O_NONBLOCK a FIFO would block the caller until a writer came.
  Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (fd.get() < 0) return systemError(errno == ENXIO ? ENODEV : errno);
  struct stat info;
  if (::fstat(fd.get(), &info) != 0) return systemError(errno);
  if (!S_ISREG(info.st_mode)) return kNotRegular;
  content.clear();
  content.reserve(static_cast<std::size_t>(info.st_size) <= maxBytes
                      ? static_cast<std::size_t>(info.st_size) + 1
                      : 0);
  char buffer[1 << 16];
  for (;;) {
    const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      return systemError(errno);
    }
    if (got == 0) return std::string();
    if (content.size() + static_cast<std::size_t>(got) > maxBytes) {
      content.clear();
      return "file too large";
    }
    content.append(buffer, static_cast<std::size_t>(got));
  }
}

std::string saveWholeFile(const std::string& path, const std::string& content) {
  ignoreFileSizeSignal();
  if (path.empty()) return systemError(ENOENT);
  int code = 0;
  const std::string target = followLinks(path, code);
  if (code != 0) return systemError(code);
  struct stat info;
  if (::stat(target.c_str(), &info) != 0) {
    if (errno != ENOENT) return systemError(errno);
    return describe(replaceAtomically(target, content, nullptr));
  }
  if (!S_ISREG(info.st_mode)) return kNotRegular;
  if (info.st_nlink == 1) {
    code = replaceAtomically(target, content, &info);
    // A folder that may not be written takes no new file; the file itself
    // may still be writable.
    if (code != EACCES && code != EPERM && code != EROFS) return describe(code);
  }
  return describe(writeInPlace(target, content));
}

}  // namespace platform
