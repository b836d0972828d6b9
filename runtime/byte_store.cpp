#include "runtime/byte_store.h"

#include <cassert>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include <utility>

ByteStore::ByteStore(ByteStore&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      capacity_(std::exchange(other.capacity_, 0)),
      size_(std::exchange(other.size_, 0)) {}

ByteStore::~ByteStore() { std::free(data_); }

void ByteStore::Init(const char* bytes, int count) {
  if (bytes == nullptr || count <= 0) {
    Clear();
    return;
  }
  char* copy = static_cast<char*>(std::malloc(count));
  if (copy == nullptr) throw std::bad_alloc();
  std::memcpy(copy, bytes, count);
  std::free(data_);
  data_ = copy;
  capacity_ = size_ = count;
}

void ByteStore::Clear() {
  std::free(data_);
  data_ = nullptr;
  capacity_ = size_ = 0;
}

// realloc stands for "allocate, copy the bytes in use, free the old block";
// for large blocks the C library can move pages instead of copying them.
void ByteStore::Reallocate(int capacity) {
  assert(capacity >= size_);
  if (capacity == 0) {
    Clear();
    return;
  }
  char* grown = static_cast<char*>(std::realloc(data_, capacity));
  if (grown == nullptr) throw std::bad_alloc();
  data_ = grown;
  capacity_ = capacity;
}

void ByteStore::Put(const char* bytes, int count) {
  assert(count >= 0 && size_ + count <= capacity_);
  if (count == 0) return;
  std::memcpy(data_ + size_, bytes, count);
  size_ += count;
}

int ByteStore::SizeAfter(long long count, const char* operation) const {
  const long long total = size_ + count;
  if (total > INT_MAX) throw std::length_error(operation);
  return static_cast<int>(total);
}
