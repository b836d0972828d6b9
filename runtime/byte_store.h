#pragma once

// The growable byte storage behind BinaryBuffer and StringBuffer, which
// differ only in their growth rule: the owner decides the capacity, the store
// keeps data, capacity and size consistent.
//
// Sizes are 32-bit signed; anything that would need more than INT_MAX bytes
// is refused with std::length_error before memory is touched. An allocation
// failure throws std::bad_alloc and leaves the store unchanged. Bytes passed
// in must not point into the store itself.
class ByteStore {
 public:
  ByteStore() = default;
  ByteStore(ByteStore&& other) noexcept;
  ByteStore(const ByteStore&) = delete;
  ByteStore& operator=(const ByteStore&) = delete;
  ~ByteStore();

  const char* data() const { return data_; }
  int capacity() const { return capacity_; }
  int size() const { return size_; }

  // Replaces the contents with exactly these bytes (capacity = size = count);
  // a null pointer or a count of 0 leaves the store empty.
  void Init(const char* bytes, int count);
  void Clear();
  // Moves the contents into storage of exactly `capacity` bytes (>= size).
  void Reallocate(int capacity);
  // Copies bytes to the end; the capacity must already hold them.
  void Put(const char* bytes, int count);
  // size + count, or std::length_error when that does not fit an int.
  int SizeAfter(long long count, const char* operation) const;

 private:
  char* data_ = nullptr;  // malloc'ed, so growth can use realloc
  int capacity_ = 0;
  int size_ = 0;
};
