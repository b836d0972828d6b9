#include "platform/xdg_dirs.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <vector>

namespace platform {
namespace {

bool isAbsolute(const char* path) { return path != nullptr && path[0] == '/'; }

std::string withoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// The file is written for a shell to source, so the value may be quoted with
// backslash escapes inside the quotes.
std::string unquote(const std::string& value) {
  if (value.empty() || value[0] != '"') return value;
  std::string text;
  for (std::string::size_type i = 1; i < value.size() && value[i] != '"'; ++i) {
    if (value[i] == '\\' && i + 1 < value.size()) ++i;
    text += value[i];
  }
  return text;
}

}  // namespace

std::optional<std::string> homeDirectory() {
  const char* home = std::getenv("HOME");
  if (isAbsolute(home)) return withoutTrailingSlashes(home);
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
  struct passwd entry;
  struct passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
      found != nullptr && isAbsolute(found->pw_dir)) {
    return withoutTrailingSlashes(found->pw_dir);
  }
  return std::nullopt;
}

std::string baseDirectory(const char* variable, const std::string& home, const char* underHome) {
  const char* value = std::getenv(variable);
  if (isAbsolute(value)) return withoutTrailingSlashes(value);
  return home + "/" + underHome;
}

std::string firstDirectoryOf(const char* variable, const char* fallback) {
  const char* value = std::getenv(variable);
  const std::string list = value != nullptr ? value : "";
  std::string::size_type begin = 0;
  while (begin <= list.size()) {
    std::string::size_type end = list.find(':', begin);
    if (end == std::string::npos) end = list.size();
    const std::string entry = list.substr(begin, end - begin);
    if (isAbsolute(entry.c_str())) return withoutTrailingSlashes(entry);
    begin = end + 1;
  }
  return fallback;
}

std::optional<std::string> userDirsValue(const std::string& value, const std::string& home) {
  const std::string path = unquote(value);
  if (path.compare(0, 5, "$HOME") == 0 && (path.size() == 5 || path[5] == '/')) {
    return withoutTrailingSlashes(home + path.substr(5));
  }
  if (isAbsolute(path.c_str())) return withoutTrailingSlashes(path);
  return std::nullopt;
}

std::string userDirectory(const std::string& name, const std::string& home,
                          const char* defaultName) {
  std::string found = home + "/" + defaultName;
  std::ifstream file(baseDirectory("XDG_CONFIG_HOME", home, ".config") + "/user-dirs.dirs");
  const std::string key = "XDG_" + name + "_DIR=";
  // Sourced by a shell, the last assignment wins.
  for (std::string line; std::getline(file, line);) {
    const std::string::size_type start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line.compare(start, key.size(), key) != 0) continue;
    std::string value = line.substr(start + key.size());
    value.erase(value.find_last_not_of(" \t\r") + 1);
    if (std::optional<std::string> path = userDirsValue(value, home)) found = *path;
  }
  return found;
}

}  // namespace platform
