#include "platform/file_size_limit.h"

#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace platform {
namespace {

// RLIM_INFINITY while the process's own limit is the one that holds.
std::atomic<rlim_t> keptLimit{RLIM_INFINITY};

}  // namespace

void liftFileSizeLimit() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == limit.rlim_max) return;
  const rlim_t user = limit.rlim_cur;
  limit.rlim_cur = limit.rlim_max;
  if (::setrlimit(RLIMIT_FSIZE, &limit) == 0) keptLimit = user;
}

Status checkFileSizeLimit(int descriptor, std::size_t size, const std::string& path) {
  const rlim_t limit = keptLimit;
  if (limit == RLIM_INFINITY) return Status();
  const off_t position = ::lseek(descriptor, 0, SEEK_CUR);
  // A pipe or socket has no position and no size to limit.
  if (position < 0) return Status();
  if (static_cast<rlim_t>(position) + size > limit) return Status::failure(EFBIG, path);
  return Status();
}

}  // namespace platform
