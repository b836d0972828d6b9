#pragma once

#include "runtime/ansi_string.h"
#include "runtime/byte_store.h"

// A growable byte buffer for building an AnsiString from many pieces. Each
// Grow turns the capacity into 2 x capacity + 1 (0, 1, 3, 7, 15, ...);
// appends grow until the bytes fit. Appending nothing allocates nothing.
//
// Sizes are 32-bit: growth stops at INT_MAX bytes, and an append beyond it
// throws std::length_error leaving the buffer unchanged. Copies are deep
// (capacity = size). One thread at a time.
class StringBuffer {
 public:
  StringBuffer() = default;
  explicit StringBuffer(const AnsiString& text);
  StringBuffer(const StringBuffer& other);
  StringBuffer(StringBuffer&& other) noexcept = default;
  StringBuffer& operator=(const StringBuffer& other);

  // Replaces the contents with a copy of the bytes (capacity = size = count);
  // a null pointer or a count of 0 leaves the buffer empty.
  virtual void Init(const char* bytes, int count);
  virtual void Grow();
  // Frees the storage.
  virtual void Clear();
  virtual void Assign(const StringBuffer& other);
  virtual void Append(const AnsiString& text);
  virtual void AppendChar(char byte);
  // The bytes up to the terminating zero; a null pointer appends nothing.
  virtual void AppendCStr(const char* text);
  virtual AnsiString ToAnsiString() const;
  virtual ~StringBuffer();

  // Appends count bytes; bytes must not point into this buffer.
  void AppendBytes(const char* bytes, int count);
  int Size() const { return store_.size(); }
  int Capacity() const { return store_.capacity(); }

 private:
  ByteStore store_;
};
