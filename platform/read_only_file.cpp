#include "platform/read_only_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>
#include <utility>

namespace platform {

std::optional<ReadOnlyFile> ReadOnlyFile::open(const std::string& path) {
  // Without O_NONBLOCK, opening a pipe would wait for a writer.
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) return std::nullopt;
  struct stat info;
  if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(descriptor);
    return std::nullopt;
  }
  return ReadOnlyFile(descriptor, static_cast<std::uint64_t>(info.st_size));
}

ReadOnlyFile::ReadOnlyFile(int descriptor, std::uint64_t size) : descriptor_(descriptor), size_(size) {}

ReadOnlyFile::ReadOnlyFile(ReadOnlyFile&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)), size_(other.size_) {}

ReadOnlyFile::~ReadOnlyFile() {
  if (descriptor_ >= 0) ::close(descriptor_);
}

std::size_t ReadOnlyFile::readAt(std::uint64_t offset, char* buffer, std::size_t size) const {
  std::size_t done = 0;
  while (done < size && offset + done <= static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) {
    const ssize_t got = ::pread(descriptor_, buffer + done, size - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

}  // namespace platform
