#pragma once

#include "runtime/ansi_string.h"

// The two interfaces through which the generated types write and read their
// binary form: a sequence of 32-bit integers and texts. The byte encoding
// belongs to the implementation; a reader reads back exactly what its own
// writer wrote. Readers throw Exception on input that ends early or is
// malformed.

class BinaryWriter {
 public:
  virtual void writeInt(int value) = 0;
  virtual void writeString(const AnsiString& text) = 0;
  virtual ~BinaryWriter() = default;
};

class BinaryReader {
 public:
  virtual void readInt(int& value) = 0;
  virtual void readString(AnsiString& text) = 0;
  virtual ~BinaryReader() = default;
};
