// An open file descriptor and its ownership: closed when the owner ends.
//
// A value that moves and is not copied. One thread at a time.
#pragma once

#include <string>
#include <utility>

#include "platform/error.h"

namespace platform {

class Descriptor {
 public:
  Descriptor() = default;
  // Takes `descriptor`, which may be -1 for none.
  explicit Descriptor(int descriptor) : descriptor_(descriptor) {}
  Descriptor(Descriptor&& other) noexcept : descriptor_(other.release()) {}
  Descriptor& operator=(Descriptor&& other) noexcept {
    reset(other.release());
    return *this;
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() { reset(); }

  // -1 when none is held.
  int get() const { return descriptor_; }
  bool valid() const { return descriptor_ >= 0; }
  // Gives the descriptor up without closing it.
  int release() { return std::exchange(descriptor_, -1); }
  // Closes the descriptor held, if any, and takes `descriptor`.
  void reset(int descriptor = -1);
  // Closes the descriptor now, answering a failure of the close (some file
  // systems report a failed write only then) for `path`.
  Status close(const std::string& path);

 private:
  int descriptor_ = -1;
};

}  // namespace platform
