#include "platform/file_copy.h"

#include <sys/sendfile.h>
#include <unistd.h>

#include <cerrno>

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

int copyByReading(int from, int to) {
  char buffer[1 << 16];
  for (;;) {
    const ssize_t got = ::read(from, buffer, sizeof buffer);
    if (got == 0) return 0;
    if (got < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    for (ssize_t done = 0; done < got;) {
      const ssize_t put = ::write(to, buffer + done, static_cast<std::size_t>(got - done));
      if (put < 0) {
        if (errno == EINTR) continue;
        return errno;
      }
      done += put;
    }
  }
}

}  // namespace

Status copyFileContent(int from, int to, const std::string& path) {
  int result = copyBy([&] { return ::copy_file_range(from, nullptr, to, nullptr, kChunk, 0); });
  if (result < 0) result = copyBy([&] { return ::sendfile(to, from, nullptr, kChunk); });
  if (result < 0) result = copyByReading(from, to);
  return result == 0 ? Status() : Status::failure(result, path);
}

}  // namespace platform
