#include "platform/replacement_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>
#include <utility>

namespace platform {
namespace {

// A short name of its own, so that a target name close to the length limit
// still leaves room for it, and a dot file, so that it stays out of sight.
std::string temporaryName(const std::string& target) {
  thread_local std::mt19937_64 random{std::random_device{}()};
  char suffix[17];
  std::snprintf(suffix, sizeof suffix, "%016llx", static_cast<unsigned long long>(random()));
  const std::size_t slash = target.rfind('/');
  const std::string directory = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  return directory + ".pageshell-" + suffix + ".part";
}

}  // namespace

std::optional<ReplacementFile> ReplacementFile::create(const std::string& target) {
  // A name already taken is tried again with another; anything else is final.
  for (int attempt = 0; attempt < 16; ++attempt) {
    std::string temporary = temporaryName(target);
    const int descriptor =
        ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor >= 0) return ReplacementFile(target, std::move(temporary), descriptor);
    if (errno != EEXIST) break;
  }
  return std::nullopt;
}

ReplacementFile::ReplacementFile(std::string target, std::string temporary, int descriptor)
    : target_(std::move(target)), temporary_(std::move(temporary)), descriptor_(descriptor) {}

ReplacementFile::ReplacementFile(ReplacementFile&& other) noexcept
    : target_(std::move(other.target_)),
      temporary_(std::move(other.temporary_)),
      descriptor_(std::exchange(other.descriptor_, -1)),
      failed_(other.failed_),
      finished_(std::exchange(other.finished_, true)) {}

ReplacementFile::~ReplacementFile() {
  if (!finished_) discard();
}

bool ReplacementFile::write(const char* bytes, std::size_t size) {
  while (!failed_ && size > 0) {
    const ssize_t written = ::write(descriptor_, bytes, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      failed_ = true;
      break;
    }
    bytes += written;
    size -= static_cast<std::size_t>(written);
  }
  return !failed_;
}

bool ReplacementFile::commit() {
  if (finished_) return false;
  // A full disk or a failing device may show only when the data is flushed
  // or the file closed; both count as failures to write.
  bool written = !failed_ && ::fdatasync(descriptor_) == 0;
  written = ::close(std::exchange(descriptor_, -1)) == 0 && written;
  written = written && ::rename(temporary_.c_str(), target_.c_str()) == 0;
  if (!written) discard();
  finished_ = true;
  return written;
}

void ReplacementFile::discard() {
  if (descriptor_ >= 0) ::close(std::exchange(descriptor_, -1));
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

}  // namespace platform
