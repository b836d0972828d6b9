#pragma once

#include <memory>

// A plain block of bytes of exactly Size() bytes. Copies are deep. Append
// reallocates to the exact new size every time, so it suits few, large
// pieces; build many small ones in a BinaryBuffer.
class Binary {
 public:
  Binary() = default;
  // A null pointer or a count <= 0 gives the empty block.
  Binary(const char* bytes, int count);
  Binary(const Binary& other);
  Binary(Binary&& other) noexcept;
  Binary& operator=(Binary&& other) noexcept;

  // The range offset..offset+count must lie within the block (the caller's
  // duty): a debug build asserts, a release build throws std::out_of_range.
  virtual Binary Sub(int offset, int count) const;
  virtual Binary& operator=(const Binary& other);
  // Throws std::length_error when the sum exceeds INT_MAX bytes.
  virtual void Append(const Binary& other);
  // Null when the block is empty.
  virtual const char* Data() const;
  virtual ~Binary();

  int Size() const { return size_; }

 private:
  int size_ = 0;
  std::unique_ptr<char[]> data_;
};
