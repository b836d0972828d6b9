#include "runtime/string_buffer.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(StringBufferGrowth, DoublesPlusOne) {
  StringBuffer buffer;
  buffer.Grow();
  EXPECT_EQ(1, buffer.Capacity());
  buffer.Grow();
  buffer.Grow();
  EXPECT_EQ(7, buffer.Capacity());
  EXPECT_EQ(0, buffer.Size());
}

TEST(StringBufferGrowth, AppendsGrowUntilTheBytesFit) {
  StringBuffer buffer;
  buffer.AppendChar('a');
  EXPECT_EQ(1, buffer.Capacity());
  buffer.Append(AnsiString("bcdefghij"));  // 10 bytes need 15
  EXPECT_EQ(15, buffer.Capacity());
  buffer.AppendCStr("klmnop");  // 16 bytes need 31
  EXPECT_EQ(31, buffer.Capacity());
  EXPECT_EQ("abcdefghijklmnop", buffer.ToAnsiString().str());

  StringBuffer from_init;
  from_init.Init("abcd", 4);
  from_init.AppendChar('e');
  EXPECT_EQ(9, from_init.Capacity());
}

TEST(StringBufferGrowth, AppendingNothingAllocatesNothing) {
  StringBuffer buffer;
  buffer.Append(AnsiString());
  buffer.AppendCStr("");
  buffer.AppendCStr(nullptr);
  EXPECT_EQ(0, buffer.Capacity());
  EXPECT_EQ(0, buffer.ToAnsiString().Length());
  EXPECT_EQ(0, StringBuffer(AnsiString()).Capacity());
}

TEST(StringBufferText, KeepsZeroBytesOfAnsiStrings) {
  StringBuffer buffer(AnsiString(std::string("a\0b", 3)));
  buffer.AppendCStr("c\0d");
  EXPECT_EQ(std::string("a\0bc", 4), buffer.ToAnsiString().str());
}

TEST(StringBufferInit, CopiesExactlyOrStaysEmpty) {
  StringBuffer buffer;
  buffer.Init("xyz", 3);
  EXPECT_EQ(3, buffer.Capacity());
  EXPECT_EQ("xyz", buffer.ToAnsiString().str());
  buffer.Clear();
  buffer.Init("xyz", 0);
  EXPECT_EQ(0, buffer.Capacity());
  buffer.Init(nullptr, 3);
  EXPECT_EQ(0, buffer.Capacity());
}

TEST(StringBufferCopies, AreDeep) {
  StringBuffer original(AnsiString("abc"));
  StringBuffer copy = original;
  EXPECT_EQ(3, copy.Capacity());
  copy.AppendChar('d');
  EXPECT_EQ("abc", original.ToAnsiString().str());
  StringBuffer assigned;
  assigned.Assign(copy);
  assigned.Assign(assigned);
  EXPECT_EQ("abcd", assigned.ToAnsiString().str());
  original = assigned;
  EXPECT_EQ("abcd", original.ToAnsiString().str());
}

}  // namespace
