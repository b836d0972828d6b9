#include "runtime/little_endian_io.h"

#include <climits>
#include <cstdint>

#include "runtime/exception.h"

void LEBinaryWriter::writeInt(int value) {
  const auto bits = static_cast<uint32_t>(value);
  const char bytes[4] = {static_cast<char>(bits), static_cast<char>(bits >> 8),
                         static_cast<char>(bits >> 16), static_cast<char>(bits >> 24)};
  buffer_.AppendBytes(bytes, 4);
}

void LEBinaryWriter::writeString(const AnsiString& text) {
  const std::string& bytes = text.str();
  if (bytes.size() > INT_MAX) throw Exception("LEBinaryWriter::writeString");
  writeInt(static_cast<int>(bytes.size()));
  buffer_.AppendBytes(bytes.data(), static_cast<int>(bytes.size()));
}

LEBinaryReader::LEBinaryReader(const Binary& input) : input_(input) {}

bool LEBinaryReader::ReadInt(int& value) {
  if (input_.Size() - position_ < 4) return false;
  const auto* bytes = reinterpret_cast<const unsigned char*>(input_.Data() + position_);
  const uint32_t bits = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | uint32_t{bytes[3]} << 24;
  value = static_cast<int>(bits);
  position_ += 4;
  return true;
}

void LEBinaryReader::readInt(int& value) {
  if (!ReadInt(value)) throw Exception("LEBinaryReader::readInt");
}

void LEBinaryReader::readString(AnsiString& text) {
  const int start = position_;
  int length = 0;
  if (!ReadInt(length) || length < 0 || input_.Size() - position_ < length) {
    position_ = start;
    throw Exception("LEBinaryReader::readString");
  }
  text = AnsiString(input_.Data() + position_, length);
  position_ += length;
}
