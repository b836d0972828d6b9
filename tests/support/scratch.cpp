#include "tests/support/scratch.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace support {

std::string makeTemporaryDirectory(const std::string& purpose) {
  std::string pattern = "/tmp/pageshell-" + purpose + "-XXXXXX";
  if (::mkdtemp(&pattern[0]) == nullptr) throw std::runtime_error("mkdtemp failed");
  return pattern;
}

Directory::Directory(const std::string& purpose) : path_(makeTemporaryDirectory(purpose)) {}

Directory::~Directory() {
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

WorkingDirectory::WorkingDirectory(const std::string& path)
    : previous_(std::filesystem::current_path()) {
  std::filesystem::current_path(path);
}

WorkingDirectory::~WorkingDirectory() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
}

PageFolder::PageFolder(const std::string& indexHtml)
    : directory_("page"), working_(directory_.path()) {
  writeFile(directory_ / "index.html", indexHtml);
}

Environment::~Environment() {
  for (const auto& [name, value] : saved_) {
    if (value) {
      ::setenv(name.c_str(), value->c_str(), 1);
    } else {
      ::unsetenv(name.c_str());
    }
  }
}

void Environment::set(const std::string& name, const std::optional<std::string>& value) {
  if (saved_.count(name) == 0) {
    const char* old = std::getenv(name.c_str());
    saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
  }
  if (value) {
    ::setenv(name.c_str(), value->c_str(), 1);
  } else {
    ::unsetenv(name.c_str());
  }
}

void writeFile(const std::string& path, const std::string& content, bool executable) {
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
  }
  if (executable) ::chmod(path.c_str(), 0755);
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void makeDirectory(const std::string& path) { std::filesystem::create_directories(path); }

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> logLines(const std::string& directory) {
  std::vector<std::string> names;
  std::error_code missing;
  for (const auto& entry : std::filesystem::directory_iterator(directory + "/debug", missing)) {
    const std::string name = entry.path().filename().string();
    if (name.compare(0, 4, "log-") == 0) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  std::string all;
  for (const std::string& name : names) all += readFile(directory + "/debug/" + name);
  return splitLines(all);
}

std::string withoutTimeStamp(const std::string& line) {
  if (line.size() >= 17 && line[8] == '-' && line.compare(15, 2, ": ") == 0) return line.substr(17);
  return line;
}

std::vector<std::string> logMessages(const std::string& directory) {
  std::vector<std::string> messages;
  for (const std::string& line : logLines(directory)) {
    std::string message = withoutTimeStamp(line);
    if (message != line) messages.push_back(std::move(message));
  }
  return messages;
}

std::optional<std::string> waitForFile(const std::string& path, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (::access(path.c_str(), F_OK) != 0) {
    if (std::chrono::steady_clock::now() > deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return readFile(path);
}

}  // namespace support
