#include "platform/read_only_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>
#include <memory>
#include <utility>

#include "platform/memory.h"
#include "platform/path_place.h"

namespace platform {

Result<ReadOnlyFile> ReadOnlyFile::open(const std::string& path) {
  const Result<PathPlace> place = placeOf(path);
  if (!place) return place.status();
  // Without O_NONBLOCK, opening a pipe would wait for a writer.
  const int descriptor = ::openat(place->folder.get(), place->name.c_str(),
                                  O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  // A socket answers "No such device or address", which names no file.
  if (descriptor < 0) return Status::failure(errno == ENXIO ? ENODEV : errno, path);
  ReadOnlyFile file(descriptor, 0, path);
  struct stat info;
  if (::fstat(descriptor, &info) != 0) return Status::fromErrno(path);
  if (!S_ISREG(info.st_mode)) return Status::failure(EINVAL, path, "not a regular file");
  file.size_ = static_cast<std::uint64_t>(info.st_size);
  return file;
}

ReadOnlyFile::ReadOnlyFile(int descriptor, std::uint64_t size, std::string path)
    : descriptor_(descriptor), size_(size), path_(std::move(path)) {}

ReadOnlyFile::ReadOnlyFile(ReadOnlyFile&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)),
      size_(other.size_),
      path_(std::move(other.path_)) {}

ReadOnlyFile::~ReadOnlyFile() {
  if (descriptor_ >= 0) ::close(descriptor_);
}

std::size_t ReadOnlyFile::readAt(std::uint64_t offset, char* buffer, std::size_t size) const {
  std::size_t done = 0;
  while (done < size &&
         offset + done <= static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) {
    const ssize_t got =
        ::pread(descriptor_, buffer + done, size - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

Result<std::string> ReadOnlyFile::readAll(std::size_t maxBytes) const {
  // Read straight into the text, in pieces as large as the size the file had
  // when it was opened (one byte more, to see its end at once); a file that
  // grew meanwhile is read on in pieces of 64 KiB.
  constexpr std::size_t kLeast = std::size_t{1} << 16;
  std::string content;
  std::size_t filled = 0;
  content.reserve(size_ <= maxBytes ? static_cast<std::size_t>(size_) + 1 : kLeast);
  adviseLargePages(content.data(), content.capacity());
  content.resize(content.capacity());
  for (;;) {
    if (filled == content.size()) content.resize(filled + kLeast);
    const ssize_t got =
        ::pread(descriptor_, &content[filled], content.size() - filled, static_cast<off_t>(filled));
    if (got < 0) {
      if (errno == EINTR) continue;
      return Status::fromErrno(path_);
    }
    if (got == 0) {
      content.resize(filled);
      return content;
    }
    filled += static_cast<std::size_t>(got);
    if (filled > maxBytes) return Status::failure(EFBIG, path_, "file too large");
  }
}

Status ReadOnlyFile::readInPieces(std::size_t maxBytes, std::size_t pieceBytes,
                                  const std::function<void(std::string_view)>& take) const {
  if (size_ > maxBytes) return Status::failure(EFBIG, path_, "file too large");
  const std::unique_ptr<char[]> buffer(new char[pieceBytes]);
  std::uint64_t offset = 0;
  for (;;) {
    std::size_t filled = 0;
    while (filled < pieceBytes) {
      const ssize_t got = ::pread(descriptor_, buffer.get() + filled, pieceBytes - filled,
                                  static_cast<off_t>(offset + filled));
      if (got < 0) {
        if (errno == EINTR) continue;
        return Status::fromErrno(path_);
      }
      if (got == 0) break;
      filled += static_cast<std::size_t>(got);
    }
    offset += filled;
    if (offset > maxBytes) return Status::failure(EFBIG, path_, "file too large");
    if (filled > 0) take(std::string_view(buffer.get(), filled));
    if (filled < pieceBytes) return Status();
  }
}

Result<std::string> loadWholeFile(const std::string& path, std::size_t maxBytes) {
  const Result<ReadOnlyFile> file = ReadOnlyFile::open(path);
  if (!file) return file.status();
  return file->readAll(maxBytes);
}

}  // namespace platform
