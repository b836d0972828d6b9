#include "platform/file_copy.h"

#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_size_limit.h"
#include "platform/in_place_write.h"

namespace platform {
namespace {

constexpr std::size_t kChunk = std::size_t{1} << 30;

// A way of copying the kernel does not offer for these two files; the next
// one is tried, as long as nothing has been copied yet.
bool unsupported(int code) {
  return code == EXDEV || code == EINVAL || code == ENOSYS || code == EOPNOTSUPP || code == EBADF;
}

// -1: this way is not offered; 0: done; else the errno of a failure.
template <class Step>
int copyBy(Step step) {
  bool started = false;
  for (;;) {
    const ssize_t copied = step();
    if (copied == 0) return 0;
    if (copied > 0) {
      started = true;
      continue;
    }
    if (errno == EINTR) continue;
    if (!started && unsupported(errno)) return -1;
    return errno;
  }
}

int copyByReading(int from, int to, const std::string& path) {
  char buffer[1 << 16];
  for (;;) {
    const ssize_t got = ::read(from, buffer, sizeof buffer);
    if (got == 0) return 0;
    if (got < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    const Status written = writeAll(to, buffer, static_cast<std::size_t>(got), path);
    if (!written.ok()) return written.code();
  }
}

}  // namespace

Status copyFileContent(int from, int to, const std::string& path) {
  // The kernel's own copies bypass writeAll, which holds page files to the
  // user's size limit: the whole copy is held to it first.
  struct stat source {};
  if (::fstat(from, &source) != 0) return Status::fromErrno(path);
  const Status allowed = checkFileSizeLimit(to, static_cast<std::size_t>(source.st_size), path);
  if (!allowed.ok()) return allowed;
  int result = copyBy([&] { return ::copy_file_range(from, nullptr, to, nullptr, kChunk, 0); });
  if (result < 0) result = copyBy([&] { return ::sendfile(to, from, nullptr, kChunk); });
  if (result < 0) result = copyByReading(from, to, path);
  return result == 0 ? Status() : Status::failure(result, path);
}

}  // namespace platform
