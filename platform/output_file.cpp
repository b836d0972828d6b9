#include "platform/output_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/file_size_limit.h"

namespace platform {

Result<OutputFile> OutputFile::createNew(const std::string& path) {
  return open(path, O_CREAT | O_EXCL);
}

Result<OutputFile> OutputFile::openTruncated(const std::string& path) {
  return open(path, O_CREAT | O_TRUNC);
}

Result<OutputFile> OutputFile::open(const std::string& path, int flags) {
  OutputFile file;
  file.descriptor_ = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | flags, 0666);
  if (file.descriptor_ < 0) return Status::fromErrno(path);
  file.path_ = path;
  return file;
}

OutputFile::OutputFile(OutputFile&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)), path_(std::move(other.path_)) {}

OutputFile& OutputFile::operator=(OutputFile&& other) noexcept {
  if (this != &other) {
    (void)close();
    descriptor_ = std::exchange(other.descriptor_, -1);
    path_ = std::move(other.path_);
  }
  return *this;
}

OutputFile::~OutputFile() { (void)close(); }

Status OutputFile::writeAll(const char* bytes, std::size_t count) {
  if (Status allowed = checkFileSizeLimit(descriptor_, count, path_); !allowed.ok()) return allowed;
  std::size_t done = 0;
  while (done < count) {
    const ssize_t written = ::write(descriptor_, bytes + done, count - done);
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return Status::fromErrno(path_);
    // Nothing taken and no reason given: the disk has no room for more.
    if (written == 0) return Status::failure(ENOSPC, path_);
    done += static_cast<std::size_t>(written);
  }
  return Status();
}

Status OutputFile::close() {
  if (descriptor_ < 0) return Status();
  // After close the descriptor is gone even when it reports a failure, so it
  // is never closed twice.
  if (::close(std::exchange(descriptor_, -1)) == 0 || errno == EINTR) return Status();
  return Status::fromErrno(path_);
}

}  // namespace platform
