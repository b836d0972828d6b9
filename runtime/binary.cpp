#include "runtime/binary.h"

#include <climits>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "runtime/range_check.h"

Binary::Binary(const char* bytes, int count) {
  if (bytes == nullptr || count <= 0) return;
  data_.reset(new char[count]);
  std::memcpy(data_.get(), bytes, count);
  size_ = count;
}

Binary::Binary(const Binary& other) : Binary(other.data_.get(), other.size_) {}

Binary::Binary(Binary&& other) noexcept
    : size_(std::exchange(other.size_, 0)), data_(std::move(other.data_)) {}

Binary& Binary::operator=(Binary&& other) noexcept {
  std::swap(size_, other.size_);
  std::swap(data_, other.data_);
  return *this;
}

Binary& Binary::operator=(const Binary& other) {
  if (this != &other) *this = Binary(other);
  return *this;
}

Binary::~Binary() = default;

Binary Binary::Sub(int offset, int count) const {
  CheckCallerRange(offset >= 0 && count >= 0 && static_cast<long long>(offset) + count <= size_,
                   "Binary::Sub");
  return Binary(data_.get() + offset, count);
}

void Binary::Append(const Binary& other) {
  const long long total = static_cast<long long>(size_) + other.size_;
  if (total > INT_MAX) throw std::length_error("Binary::Append");
  if (other.size_ == 0) return;
  std::unique_ptr<char[]> joined(new char[total]);
  if (size_ > 0) std::memcpy(joined.get(), data_.get(), size_);
  std::memcpy(joined.get() + size_, other.data_.get(), other.size_);
  data_ = std::move(joined);
  size_ = static_cast<int>(total);
}

const char* Binary::Data() const { return data_.get(); }
