#include "platform/output_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace platform {

OutputFile OutputFile::createNew(const std::string& path) { return open(path, O_CREAT | O_EXCL); }

OutputFile OutputFile::openTruncated(const std::string& path) {
  return open(path, O_CREAT | O_TRUNC);
}

OutputFile OutputFile::open(const std::string& path, int flags) {
  OutputFile file;
  file.descriptor_ = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | flags, 0666);
  file.error_ = file.descriptor_ >= 0 ? 0 : errno;
  return file;
}

OutputFile::OutputFile(OutputFile&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)),
      error_(std::exchange(other.error_, EBADF)) {}

OutputFile& OutputFile::operator=(OutputFile&& other) noexcept {
  if (this != &other) {
    (void)close();
    descriptor_ = std::exchange(other.descriptor_, -1);
    error_ = std::exchange(other.error_, EBADF);
  }
  return *this;
}

OutputFile::~OutputFile() { (void)close(); }

bool OutputFile::writeAll(const char* bytes, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    const ssize_t written = ::write(descriptor_, bytes + done, count - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    done += static_cast<std::size_t>(written);
  }
  return true;
}

bool OutputFile::close() {
  if (descriptor_ < 0) return true;
  // After close the descriptor is gone even when it reports a failure, so it
  // is never closed twice.
  const bool closed = ::close(std::exchange(descriptor_, -1)) == 0 || errno == EINTR;
  error_ = EBADF;
  return closed;
}

}  // namespace platform
