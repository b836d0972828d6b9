#include "platform/descriptor.h"

#include <unistd.h>

namespace platform {

void Descriptor::reset(int descriptor) {
  if (descriptor_ >= 0) ::close(descriptor_);
  descriptor_ = descriptor;
}

Status Descriptor::close(const std::string& path) {
  if (descriptor_ < 0 || ::close(release()) == 0) return Status();
  return Status::fromErrno(path);
}

}  // namespace platform
