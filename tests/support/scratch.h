// Scratch folders, files, environment variables and the shell's log, for
// every kind of test. Each scratch object undoes itself when it goes out of
// scope.
#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace support {

// A fresh folder "/tmp/pageshell-" + `purpose` + "-" and six random
// characters, private to the running user; the caller removes it.
std::string makeTemporaryDirectory(const std::string& purpose);

// A fresh directory under /tmp, removed with everything in it at the end.
class Directory {
 public:
  // The folder's name starts with "/tmp/pageshell-" + `purpose`.
  explicit Directory(const std::string& purpose = "scratch");
  ~Directory();
  Directory(const Directory&) = delete;
  Directory& operator=(const Directory&) = delete;

  const std::string& path() const { return path_; }
  // `path()` + "/" + `name`.
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Makes `path` the working directory for its lifetime.
class WorkingDirectory {
 public:
  explicit WorkingDirectory(const std::string& path);
  ~WorkingDirectory();
  WorkingDirectory(const WorkingDirectory&) = delete;
  WorkingDirectory& operator=(const WorkingDirectory&) = delete;

 private:
  std::string previous_;
};

// A scratch folder with `indexHtml` as its index.html, made the working
// directory for its lifetime: the shell loads its page from there.
class PageFolder {
 public:
  explicit PageFolder(const std::string& indexHtml);

  const std::string& path() const { return directory_.path(); }
  std::string operator/(const std::string& name) const { return directory_ / name; }

 private:
  Directory directory_;
  WorkingDirectory working_;
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

// The lines of `text`, without their line ends.
std::vector<std::string> splitLines(const std::string& text);

// The shell's log written under `directory` (every debug/log-*.txt, in name
// order), one entry per line, time stamps included.
std::vector<std::string> logLines(const std::string& directory);

// A log line without its "YYYYMMDD-hhmmss: " stamp; a line without one (the
// continuation of a message with line breaks) as it is.
std::string withoutTimeStamp(const std::string& line);

// The messages of the shell's log under `directory`: each stamped line
// without its stamp (continuation lines are left out).
std::vector<std::string> logMessages(const std::string& directory);

// Waits until `path` exists and returns its content; nothing after `limit`.
// Scripts under test write their records elsewhere and rename them into
// place, so a file that exists is complete.
std::optional<std::string> waitForFile(const std::string& path,
                                       std::chrono::milliseconds limit = std::chrono::seconds(10));

}  // namespace support
