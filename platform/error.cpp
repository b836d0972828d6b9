#include "platform/error.h"

#include <cerrno>
#include <cstring>

namespace platform {

Status Status::failure(int code, std::string path) {
  return Status(code, std::move(path), std::strerror(code));
}

Status Status::failure(int code, std::string path, std::string reason) {
  return Status(code, std::move(path), std::move(reason));
}

Status Status::fromErrno(std::string path) { return failure(errno, std::move(path)); }

std::string Status::message() const { return path_.empty() ? reason_ : path_ + ": " + reason_; }

}  // namespace platform
