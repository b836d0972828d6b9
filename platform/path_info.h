// What stands at a path: its kind, size and time of last change, read
// without following a symbolic link, so that a link is seen as itself.
//
// Plain functions; any thread.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>

#include "platform/error.h"

namespace platform {

enum class PathKind { kFile, kFolder, kLink, kOther };

// "file", "folder", "link" or "other".
const char* kindName(PathKind kind);

struct PathInfo {
  PathKind kind = PathKind::kOther;
  std::uint64_t size = 0;     // bytes; a link's is the length of the path it holds
  std::int64_t modified = 0;  // seconds since 1970-01-01 UTC
};

PathInfo pathInfoOf(const struct stat& status);

// Fails with ENOENT when nothing is there.
Result<PathInfo> pathInfo(const std::string& path);

// `seconds` since 1970 as UTC in ISO 8601, e.g. "2026-12-08T14:03:05Z".
std::string utcTimestamp(std::int64_t seconds);

}  // namespace platform
