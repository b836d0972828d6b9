#include "platform/file_attributes.h"

#include <sys/xattr.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace platform {
namespace {

bool mustComeAcross(const std::string& name) {
  return name.rfind("user.", 0) == 0 || name.rfind("system.", 0) == 0;
}

// What `read` answers, asked first for its size: a list or a value that
// grows between the two calls is read again.
template <class Read>
Result<std::string> readWhole(Read read, const std::string& path) {
  for (;;) {
    const ssize_t size = read(nullptr, 0);
    if (size < 0) return Status::fromErrno(path);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    const ssize_t got = read(&bytes[0], bytes.size());
    if (got >= 0) {
      bytes.resize(static_cast<std::size_t>(got));
      return bytes;
    }
    if (errno != ERANGE) return Status::fromErrno(path);
  }
}

Result<std::vector<std::string>> namesOf(int descriptor, const std::string& path) {
  Result<std::string> list = readWhole(
      [descriptor](char* bytes, std::size_t size) { return ::flistxattr(descriptor, bytes, size); },
      path);
  if (!list) {
    if (list.status().code() == ENOTSUP) return std::vector<std::string>();
    return list.status();
  }
  std::vector<std::string> names;
  for (std::size_t at = 0; at < list->size();) {
    const std::size_t end = std::min(list->find('\0', at), list->size());
    names.push_back(list->substr(at, end - at));
    at = end + 1;
  }
  return names;
}

}  // namespace

Status copyAttributes(int from, int to, const std::string& path) {
  Result<std::vector<std::string>> names = namesOf(from, path);
  if (!names) return names.status();
  for (const std::string& name : *names) {
    Result<std::string> value = readWhole(
        [from, &name](char* bytes, std::size_t size) {
          return ::fgetxattr(from, name.c_str(), bytes, size);
        },
        path);
    if (!value) {
      if (value.status().code() != ENODATA && mustComeAcross(name)) return value.status();
      continue;  // gone meanwhile, or not ours to read
    }
    if (::fsetxattr(to, name.c_str(), value->data(), value->size(), 0) != 0 &&
        mustComeAcross(name)) {
      return Status::fromErrno(path);
    }
  }
  Result<std::vector<std::string>> own = namesOf(to, path);
  if (!own) return own.status();
  for (const std::string& name : *own) {
    if (std::find(names->begin(), names->end(), name) != names->end()) continue;
    if (::fremovexattr(to, name.c_str()) != 0 && errno != ENODATA && mustComeAcross(name)) {
      return Status::fromErrno(path);
    }
  }
  return Status();
}

}  // namespace platform
