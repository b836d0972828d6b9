// Scratch folders, files and environment variables for the platform tests.
// Each undoes itself when it goes out of scope.
#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>

namespace scratch {

// A fresh directory under /tmp, removed with everything in it at the end.
class Directory {
 public:
  Directory();
  ~Directory();
  Directory(const Directory&) = delete;
  Directory& operator=(const Directory&) = delete;

  const std::string& path() const { return path_; }
  // `path()` + "/" + `name`.
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Sets (or, with nothing, removes) environment variables and restores their
// previous values at the end.
class Environment {
 public:
  Environment() = default;
  ~Environment();
  Environment(const Environment&) = delete;
  Environment& operator=(const Environment&) = delete;

  void set(const std::string& name, const std::optional<std::string>& value);

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};

void writeFile(const std::string& path, const std::string& content, bool executable = false);
std::string readFile(const std::string& path);
void makeDirectory(const std::string& path);

// Waits until `path` exists and returns its content; nothing after `limit`.
// Scripts under test write their records elsewhere and rename them into
// place, so a file that exists is complete.
std::optional<std::string> waitForFile(const std::string& path,
                                       std::chrono::milliseconds limit = std::chrono::seconds(10));

}  // namespace scratch
