#include "platform/known_folder.h"

#include <cerrno>

#include "platform/directory.h"
#include "platform/xdg_dirs.h"

namespace platform {
namespace {

std::optional<std::string> tablePath(int folder, const std::string& home) {
  auto config = [&] { return baseDirectory("XDG_CONFIG_HOME", home, ".config"); };
  auto data = [&] { return baseDirectory("XDG_DATA_HOME", home, ".local/share"); };
  switch (folder) {
    case 0:
    case 16: return userDirectory("DESKTOP", home, "Desktop");
    case 5: return userDirectory("DOCUMENTS", home, "Documents");
    case 7: return config() + "/autostart";
    case 8:
    case 28: return data();
    case 13: return userDirectory("MUSIC", home, "Music");
    case 14: return userDirectory("VIDEOS", home, "Videos");
    case 20: return data() + "/fonts";
    case 21: return userDirectory("TEMPLATES", home, "Templates");
    case 26: return config();
    case 32: return baseDirectory("XDG_CACHE_HOME", home, ".cache");
    case 35: return firstDirectoryOf("XDG_DATA_DIRS", "/usr/local/share");
    case 38: return std::string("/opt");
    case 39: return userDirectory("PICTURES", home, "Pictures");
    case 40: return home;
    default: return std::nullopt;
  }
}

// Each level in turn, from the root down; the first that cannot be had ends
// the walk.
Status createWithParents(const std::string& path) {
  for (std::string::size_type slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    Status level = createDirectory(path.substr(0, slash));
    if (!level.ok()) return level;
  }
  return createDirectory(path);
}

}  // namespace

Result<std::string> knownFolderPath(int number) {
  const std::optional<std::string> home = homeDirectory();
  if (!home) return Status::failure(ENOENT, "", "no home directory");
  std::optional<std::string> path = tablePath(number & 0xFF, *home);
  if (!path) return Status::failure(EINVAL, "", "no folder " + std::to_string(number & 0xFF));
  if ((number & kKnownFolderCreate) != 0) {
    Status created = createWithParents(*path);
    if (!created.ok()) return created;
  }
  return std::move(*path);
}

}  // namespace platform
