#include "platform/shell_open.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <optional>

#include "platform/detached_process.h"
#include "platform/directory.h"
#include "platform/shell_words.h"

namespace platform {
namespace {

std::string lowercase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool exists(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0;
}

// "scheme:" with a scheme of two or more characters, as in RFC 3986; a single
// letter would be a drive, and a slash before the colon makes it a path.
bool isAddress(const std::string& text) {
  const std::string::size_type colon = text.find(':');
  if (colon == std::string::npos || colon < 2) return false;
  if (!std::isalpha(static_cast<unsigned char>(text[0]))) return false;
  for (std::string::size_type i = 1; i < colon; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return false;
  }
  return true;
}

std::string workingDirectory() {
  std::string buffer(4096, '\0');
  while (::getcwd(&buffer[0], buffer.size()) == nullptr) {
    if (errno != ERANGE) return ".";
    buffer.resize(buffer.size() * 2);
  }
  buffer.resize(buffer.find('\0'));
  return buffer;
}

std::string absolute(const std::string& path) {
  return path[0] == '/' ? path : workingDirectory() + "/" + path;
}

// Absolute, because whatever is started runs in `directory`, not in ours.
std::optional<std::string> locate(const std::string& file, const std::string& directory) {
  if (file.empty()) return std::nullopt;
  if (file[0] == '/') return exists(file) ? std::optional<std::string>(file) : std::nullopt;
  if (!directory.empty() && exists(directory + "/" + file)) return absolute(directory + "/" + file);
  if (exists(file)) return absolute(file);
  if (std::optional<std::string> program = findOnPath(file)) return absolute(*program);
  return std::nullopt;
}

Status noHandler(const std::string& target, const std::string& why) {
  return Status::failure(ENOTSUP, target, why);
}

// A start that failed is reported as nothing started, whatever its errno, so
// that only the lookups here answer ENOENT and ENOTDIR.
Status started(const std::string& target, const Status& start) {
  return start.ok() ? start : noHandler(target, "cannot start: " + start.reason());
}

Status openWithDefaultHandler(const std::string& target, const std::string& directory) {
  const std::optional<std::string> handler = findOnPath("xdg-open");
  if (!handler) return noHandler(target, "no xdg-open on $PATH");
  return started(target, startDetachedProcess(*handler, {target}, directory));
}

}  // namespace

Status shellOpen(const std::string& operation, const std::string& file,
                 const std::string& parameters, const std::string& directory) {
  const std::string verb = lowercase(operation);
  const bool explore = verb == "explore";
  if (!explore && verb != "open" && !verb.empty()) return noHandler(file, "no such operation");
  if (!directory.empty() && !isDirectory(directory)) {
    return Status::failure(ENOTDIR, directory, "no such folder");
  }

  if (isAddress(file) && !exists(file)) {
    return explore ? noHandler(file, "not a folder") : openWithDefaultHandler(file, directory);
  }
  const std::optional<std::string> target = locate(file, directory);
  if (!target) return Status::failure(ENOENT, file, "no such file");
  if (isDirectory(*target)) return openWithDefaultHandler(*target, directory);
  if (explore) return noHandler(*target, "not a folder");

  if (isExecutableFile(*target)) {
    const Status start = startDetachedProcess(*target, splitShellWords(parameters), directory);
    // Marked executable but no program (a text file on a lax file system):
    // treat it as the document it is.
    if (start.code() != ENOEXEC) return started(*target, start);
  }
  return openWithDefaultHandler(*target, directory);
}

ShellOpenCode shellExecuteCode(const Status& opened) {
  switch (opened.code()) {
    case 0: return kShellStarted;
    case ENOENT: return kShellFileNotFound;
    case ENOTDIR: return kShellPathNotFound;
    default: return kShellNoAssociation;
  }
}

}  // namespace platform
