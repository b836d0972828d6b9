#include "zip/archive_bytes.h"

#include <algorithm>
#include <cstring>

std::size_t MemoryBytes::readAt(std::uint64_t offset, char* buffer, std::size_t size) {
  if (offset >= bytes_.size()) return 0;
  const std::size_t count = std::min<std::uint64_t>(size, bytes_.size() - offset);
  std::memcpy(buffer, bytes_.data() + offset, count);
  return count;
}

std::size_t FileBytes::readAt(std::uint64_t offset, char* buffer, std::size_t size) {
  if (size >= window_.size()) return file_.readAt(offset, buffer, size);
  // A read that runs past the window's end moves the window, so that it
  // comes up short only where the file does.
  if (offset < windowStart_ || offset - windowStart_ + size > windowSize_) {
    windowStart_ = offset;
    windowSize_ = file_.readAt(offset, window_.data(), window_.size());
  }
  const std::uint64_t at = offset - windowStart_;
  if (at >= windowSize_) return 0;
  const std::size_t count = std::min<std::uint64_t>(size, windowSize_ - at);
  std::memcpy(buffer, window_.data() + at, count);
  return count;
}
