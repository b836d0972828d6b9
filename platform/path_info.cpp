#include "platform/path_info.h"

#include <ctime>

namespace platform {

const char* kindName(PathKind kind) {
  switch (kind) {
    case PathKind::kFile: return "file";
    case PathKind::kFolder: return "folder";
    case PathKind::kLink: return "link";
    case PathKind::kOther: return "other";
  }
  return "other";
}

PathInfo pathInfoOf(const struct stat& status) {
  PathInfo info;
  if (S_ISREG(status.st_mode)) {
    info.kind = PathKind::kFile;
  } else if (S_ISDIR(status.st_mode)) {
    info.kind = PathKind::kFolder;
  } else if (S_ISLNK(status.st_mode)) {
    info.kind = PathKind::kLink;
  }
  info.size = static_cast<std::uint64_t>(status.st_size);
  info.modified = static_cast<std::int64_t>(status.st_mtim.tv_sec);
  return info;
}

Result<PathInfo> pathInfo(const std::string& path) {
  struct stat status {};
  if (::lstat(path.c_str(), &status) != 0) return Status::fromErrno(path);
  return pathInfoOf(status);
}

std::string utcTimestamp(std::int64_t seconds) {
  const std::time_t time = static_cast<std::time_t>(seconds);
  std::tm parts{};
  ::gmtime_r(&time, &parts);
  char text[32];
  const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
  return std::string(text, length);
}

}  // namespace platform
