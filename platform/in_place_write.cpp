#include "platform/in_place_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/file_size_limit.h"

namespace platform {
namespace {

// Undoes a growth that failed; the failure is what gets reported.
void cutBack(int descriptor, off_t size) {
  while (::ftruncate(descriptor, size) != 0 && errno == EINTR) {
  }
}

// Gives the file the size `newSize` with its blocks taken, the holes below
// it included; failing, cuts it back to `oldSize`.
Status takeRoom(int descriptor, off_t oldSize, off_t newSize, const std::string& path) {
  if (newSize == 0) return Status();
  int reserved;
  do {
    reserved = ::fallocate(descriptor, 0, 0, newSize);
  } while (reserved != 0 && errno == EINTR);
  if (reserved == 0) return Status();
  if (errno == EOPNOTSUPP || errno == ENOSYS) {
    return growByWriting(descriptor, oldSize, newSize, path);
  }
  const Status failed = Status::fromErrno(path);
  cutBack(descriptor, oldSize);  // a reservation may stop part way, the file grown
  return failed;
}

// Copies `size` bytes from the start of `from` to the start of `to`, in the
// kernel where it can, through a small buffer where it cannot.
Status copyContent(int from, int to, off_t size, const std::string& path) {
  off_t done = 0;
  while (done < size) {
    off_t in = done;
    off_t out = done;
    const ssize_t copied =
        ::copy_file_range(from, &in, to, &out, static_cast<std::size_t>(size - done), 0);
    if (copied > 0) {
      done += copied;
      continue;
    }
    if (copied < 0 && errno == EINTR) continue;
    if (copied == 0 ||
        (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)) {
      return copied == 0 ? Status::failure(EIO, path) : Status::fromErrno(path);
    }
    break;
  }
  char buffer[1 << 16];
  while (done < size) {
    const ssize_t got = ::pread(from, buffer, sizeof buffer, done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return got == 0 ? Status::failure(EIO, path) : Status::fromErrno(path);
    if (::lseek(to, done, SEEK_SET) < 0) return Status::fromErrno(path);
    Status written = writeAll(to, buffer, static_cast<std::size_t>(got), path);
    if (!written.ok()) return written;
    done += got;
  }
  return Status();
}

}  // namespace

Status overwrite(int from, off_t size, int to, const std::string& path) {
  struct stat info;
  if (::fstat(to, &info) != 0) return Status::fromErrno(path);
  Status status = takeRoom(to, info.st_size, size, path);
  if (status.ok()) status = copyContent(from, to, size, path);
  if (status.ok() && ::ftruncate(to, size) != 0) status = Status::fromErrno(path);
  if (status.ok() && ::fdatasync(to) != 0) status = Status::fromErrno(path);
  return status;
}

Status growByWriting(int descriptor, off_t oldSize, off_t newSize, const std::string& path) {
  if (newSize <= oldSize) return Status();
  static const char zeros[1 << 16] = {};
  Status status = ::lseek(descriptor, oldSize, SEEK_SET) < 0 ? Status::fromErrno(path) : Status();
  for (off_t at = oldSize; status.ok() && at < newSize; at += sizeof zeros) {
    const off_t piece = std::min<off_t>(sizeof zeros, newSize - at);
    status = writeAll(descriptor, zeros, static_cast<std::size_t>(piece), path);
  }
  if (status.ok() && ::fdatasync(descriptor) != 0) status = Status::fromErrno(path);
  if (!status.ok()) cutBack(descriptor, oldSize);
  return status;
}

Status writeAll(int descriptor, const char* bytes, std::size_t size, const std::string& path) {
  if (Status allowed = checkFileSizeLimit(descriptor, size, path); !allowed.ok()) return allowed;
  while (size > 0) {
    const ssize_t written = ::write(descriptor, bytes, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return Status::fromErrno(path);
    }
    bytes += written;
    size -= static_cast<std::size_t>(written);
  }
  return Status();
}

}  // namespace platform
