#include "runtime/little_endian_io.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "tests/unit/runtime/test_support.h"

namespace {

TEST(LEBinaryIO, ReadsBackWhatWasWritten) {
  LEBinaryWriter writer;
  writer.writeInt(0);
  writer.writeInt(-1);
  writer.writeInt(INT_MIN);
  writer.writeInt(INT_MAX);
  writer.writeString(AnsiString(std::string("a\0\xFF", 3)));
  writer.writeString(AnsiString());

  LEBinaryReader reader(writer.ToBinary());
  int value = 7;
  AnsiString text;
  reader.readInt(value);
  EXPECT_EQ(0, value);
  reader.readInt(value);
  EXPECT_EQ(-1, value);
  reader.readInt(value);
  EXPECT_EQ(INT_MIN, value);
  reader.readInt(value);
  EXPECT_EQ(INT_MAX, value);
  reader.readString(text);
  EXPECT_EQ(std::string("a\0\xFF", 3), text.str());
  reader.readString(text);
  EXPECT_EQ("", text.str());
  EXPECT_TRUE(reader.AtEnd());
}

TEST(LEBinaryIO, LayoutIsLittleEndianWithLengthPrefix) {
  LEBinaryWriter writer;
  writer.writeInt(0x01020304);
  writer.writeString("hi");
  EXPECT_EQ(std::string("\x04\x03\x02\x01\x02\0\0\0hi", 10), Bytes(writer.ToBinary()));
}

TEST(LEBinaryIO, ReaderNeverReadsPastTheEnd) {
  testing::internal::CaptureStdout();
  LEBinaryReader short_int(BinaryOf("\x01\x02\x03"));
  int value = 42;
  EXPECT_EQ("LEBinaryReader::readInt", ExceptionMessage([&] { short_int.readInt(value); }));
  EXPECT_EQ(42, value);

  // A length of 5 with only two bytes after it.
  LEBinaryReader short_text(BinaryOf(std::string("\x05\0\0\0ab", 6)));
  AnsiString text("kept");
  EXPECT_EQ("LEBinaryReader::readString", ExceptionMessage([&] { short_text.readString(text); }));
  EXPECT_EQ("kept", text.str());
  short_text.readInt(value);  // the position did not move
  EXPECT_EQ(5, value);

  LEBinaryReader negative(BinaryOf("\xFF\xFF\xFF\xFF"));
  EXPECT_EQ("LEBinaryReader::readString", ExceptionMessage([&] { negative.readString(text); }));
  LEBinaryReader huge(BinaryOf("\xFF\xFF\xFF\x7F"));
  EXPECT_EQ("LEBinaryReader::readString", ExceptionMessage([&] { huge.readString(text); }));
  LEBinaryReader empty{Binary()};
  EXPECT_EQ("LEBinaryReader::readInt", ExceptionMessage([&] { empty.readInt(value); }));
  testing::internal::GetCapturedStdout();
}

TEST(LEBinaryIO, WorksThroughTheAbstractInterfaces) {
  LEBinaryWriter concrete;
  BinaryWriter& writer = concrete;
  writer.writeInt(3);
  writer.writeString("x");
  LEBinaryReader concrete_reader(concrete.ToBinary());
  BinaryReader& reader = concrete_reader;
  int value = 0;
  AnsiString text;
  reader.readInt(value);
  reader.readString(text);
  EXPECT_EQ(3, value);
  EXPECT_EQ("x", text.str());
}

}  // namespace
