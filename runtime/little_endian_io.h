#pragma once

#include "runtime/binary.h"
#include "runtime/binary_buffer.h"
#include "runtime/binary_io.h"

// A concrete binary form: each integer as 4 bytes, little-endian two's
// complement; each text as its length written as an integer, then its bytes.

// Collects what is written in its own buffer.
class LEBinaryWriter : public BinaryWriter {
 public:
  void writeInt(int value) override;
  // Throws Exception("LEBinaryWriter::writeString") for a text longer than
  // INT_MAX bytes.
  void writeString(const AnsiString& text) override;

  Binary ToBinary() const { return buffer_.ToBinary(); }

 private:
  BinaryBuffer buffer_;
};

// Reads from a copy of the given bytes, front to back. Never reads past the
// end: a value that does not fit in what is left, or a negative text length,
// throws Exception("LEBinaryReader::readInt") or
// Exception("LEBinaryReader::readString") and leaves the target and the
// position unchanged.
class LEBinaryReader : public BinaryReader {
 public:
  explicit LEBinaryReader(const Binary& input);

  void readInt(int& value) override;
  void readString(AnsiString& text) override;

  bool AtEnd() const { return position_ == input_.Size(); }

 private:
  bool ReadInt(int& value);

  Binary input_;
  int position_ = 0;
};
