#include "platform/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace platform {
namespace {

Result<std::string> readToEnd(int descriptor, const std::string& path, std::size_t maxBytes) {
  struct stat info;
  if (::fstat(descriptor, &info) != 0) return Status::fromErrno(path);
  if (!S_ISREG(info.st_mode)) return Status::failure(EINVAL, path, "not a regular file");
  std::string content;
  content.reserve(static_cast<std::size_t>(info.st_size) <= maxBytes
                      ? static_cast<std::size_t>(info.st_size) + 1
                      : 0);
  char buffer[1 << 16];
  for (;;) {
    const ssize_t got = ::read(descriptor, buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      return Status::fromErrno(path);
    }
    if (got == 0) return content;
    if (content.size() + static_cast<std::size_t>(got) > maxBytes) {
      return Status::failure(EFBIG, path, "file too large");
    }
    content.append(buffer, static_cast<std::size_t>(got));
  }
}

}  // namespace

Result<std::string> loadWholeFile(const std::string& path, std::size_t maxBytes) {
  // Without O_NONBLOCK a FIFO would block the caller until a writer came.
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (descriptor < 0) return Status::failure(errno == ENXIO ? ENODEV : errno, path);
  Result<std::string> content = readToEnd(descriptor, path, maxBytes);
  ::close(descriptor);
  return content;
}

}  // namespace platform
