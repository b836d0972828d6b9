#include "platform/file_copy.h"

#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_size_limit.h"
#include "platform/in_place_write.h"

namespace platform {
namespace {

// The piece copied at once. Each piece is handed to the disk as soon as it
// is copied, so that the sync the file writer ends with waits for the last
// piece only, instead of writing the whole file after the copy: that took as
// long again as the copy itself. Pieces of 8 MiB keep the disk busy more
// evenly than pieces of 64 MiB did, and leave it less to write at the end: a
// synced copy of 1 GiB took a tenth to a fifth less.
constexpr std::size_t kChunk = std::size_t{8} << 20;

// Where pieces copied into `to` go, and their writing out begun.
class Writeback {
 public:
  explicit Writeback(int to) : to_(to), started_(::lseek(to, 0, SEEK_CUR)) {}

  // Counts `size` more bytes copied; once a piece is whole, starts writing
  // it out without waiting (a failure shows in the writer's sync).
  void copied(std::size_t size) {
    pending_ += static_cast<off_t>(size);
    if (started_ < 0 || pending_ < static_cast<off_t>(kChunk)) return;
    (void)::sync_file_range(to_, started_, pending_, SYNC_FILE_RANGE_WRITE);
    started_ += pending_;
    pending_ = 0;
  }

 private:
  int to_;
  off_t started_;  // -1 when `to` has no offset to start from
  off_t pending_ = 0;
};

// A way of copying the kernel does not offer for these two files; the next
// one is tried, as long as nothing has been copied yet.
bool unsupported(int code) {
  return code == EXDEV || code == EINVAL || code == ENOSYS || code == EOPNOTSUPP || code == EBADF;
}

// -1: this way is not offered; 0: done; else the errno of a failure.
template <class Step>
int copyBy(Writeback& writeback, Step step) {
  bool started = false;
  for (;;) {
    const ssize_t copied = step();
    if (copied == 0) return 0;
    if (copied > 0) {
      started = true;
      writeback.copied(static_cast<std::size_t>(copied));
      continue;
    }
    if (errno == EINTR) continue;
    if (!started && unsupported(errno)) return -1;
    return errno;
  }
}

int copyByReading(int from, int to, const std::string& path, Writeback& writeback) {
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
    writeback.copied(static_cast<std::size_t>(got));
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
  Writeback writeback(to);
  int result = copyBy(writeback,
                      [&] { return ::copy_file_range(from, nullptr, to, nullptr, kChunk, 0); });
  if (result < 0) {
    result = copyBy(writeback, [&] { return ::sendfile(to, from, nullptr, kChunk); });
  }
  if (result < 0) result = copyByReading(from, to, path, writeback);
  return result == 0 ? Status() : Status::failure(result, path);
}

}  // namespace platform
