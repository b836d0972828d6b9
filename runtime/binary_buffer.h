#pragma once

#include "runtime/binary.h"
#include "runtime/byte_store.h"

// A growable byte buffer for building a Binary from many pieces (a download,
// a binary form). Reserve grows the capacity by doubling plus one while it
// is at most 60,000,000 bytes, then in steps of 60,000,000, so very large
// contents do not double their memory; a larger request is met exactly.
//
// Sizes are 32-bit: growth stops at INT_MAX bytes, and an append beyond it
// throws std::length_error leaving the buffer unchanged. Copies are deep
// (capacity = size). One thread at a time.
class BinaryBuffer {
 public:
  BinaryBuffer() = default;
  explicit BinaryBuffer(const Binary& binary);
  BinaryBuffer(const BinaryBuffer& other);
  BinaryBuffer(BinaryBuffer&& other) noexcept = default;
  BinaryBuffer& operator=(const BinaryBuffer& other);

  // Replaces the contents with a copy of the bytes (capacity = size = count);
  // a null pointer or a count of 0 leaves the buffer empty.
  virtual void Init(const char* bytes, int count);
  virtual void Reserve(int n);
  // Frees the storage.
  virtual void Clear();
  virtual void Assign(const BinaryBuffer& other);
  virtual void Append(const Binary& binary);
  virtual void AppendByte(char byte);
  virtual Binary ToBinary() const;
  virtual ~BinaryBuffer();

  // Appends without building a Binary first; bytes must not point into this
  // buffer.
  void AppendBytes(const char* bytes, int count);
  int Size() const { return store_.size(); }
  int Capacity() const { return store_.capacity(); }

 private:
  ByteStore store_;
};
