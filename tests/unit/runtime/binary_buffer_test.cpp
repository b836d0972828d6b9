#include "runtime/binary_buffer.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/unit/runtime/test_support.h"

namespace {

TEST(BinaryBufferReserve, DoublesPlusOneUpToSixtyMillion) {
  BinaryBuffer buffer;
  buffer.Reserve(1);
  EXPECT_EQ(1, buffer.Capacity());
  buffer.Reserve(2);
  EXPECT_EQ(3, buffer.Capacity());
  buffer.Reserve(3);
  EXPECT_EQ(3, buffer.Capacity());
  buffer.Reserve(100);  // 7 would not do: the request is met exactly
  EXPECT_EQ(100, buffer.Capacity());
  buffer.Reserve(101);
  EXPECT_EQ(201, buffer.Capacity());
}

TEST(BinaryBufferReserve, StepsOfSixtyMillionAbove) {
  struct Case {
    int capacity;
    int request;
    int expected;
  };
  for (Case c : {Case{60000000, 60000001, 120000001}, Case{60000001, 60000002, 120000001},
                 Case{70000000, 70000001, 130000000}, Case{70000000, 200000000, 200000000}}) {
    BinaryBuffer buffer;
    buffer.Reserve(c.capacity);
    ASSERT_EQ(c.capacity, buffer.Capacity());
    buffer.Reserve(c.request);
    EXPECT_EQ(c.expected, buffer.Capacity()) << "from " << c.capacity;
  }
}

TEST(BinaryBufferReserve, KeepsTheBytesInUse) {
  BinaryBuffer buffer;
  buffer.Append(BinaryOf("abc"));
  buffer.Reserve(1000);
  EXPECT_EQ(3, buffer.Size());
  EXPECT_EQ("abc", Bytes(buffer.ToBinary()));
}

TEST(BinaryBufferAppend, GrowsByTheRule) {
  BinaryBuffer buffer;
  std::string expected;
  for (int i = 0; i < 20; ++i) {
    buffer.AppendByte(static_cast<char>(i));
    expected += static_cast<char>(i);
  }
  EXPECT_EQ(31, buffer.Capacity());
  buffer.Append(BinaryOf("xyz"));
  buffer.Append(Binary());
  buffer.AppendBytes(nullptr, 4);
  expected += "xyz";
  EXPECT_EQ(expected, Bytes(buffer.ToBinary()));
  EXPECT_EQ(23, buffer.Size());
}

TEST(BinaryBufferInit, CopiesExactlyOrStaysEmpty) {
  BinaryBuffer buffer;
  buffer.Init("abcd", 4);
  EXPECT_EQ(4, buffer.Capacity());
  EXPECT_EQ("abcd", Bytes(buffer.ToBinary()));
  buffer.Clear();
  EXPECT_EQ(0, buffer.Capacity());
  EXPECT_EQ(0, buffer.Size());
  buffer.Init(nullptr, 4);
  EXPECT_EQ(0, buffer.Capacity());
  EXPECT_EQ(nullptr, buffer.ToBinary().Data());
}

TEST(BinaryBufferCopies, AreDeepWithCapacityEqualToSize) {
  BinaryBuffer original(BinaryOf("abc"));
  original.Reserve(50);
  BinaryBuffer copy = original;
  EXPECT_EQ(3, copy.Capacity());
  copy.AppendByte('d');
  EXPECT_EQ("abc", Bytes(original.ToBinary()));
  EXPECT_EQ("abcd", Bytes(copy.ToBinary()));

  BinaryBuffer assigned;
  assigned.Assign(copy);
  EXPECT_EQ("abcd", Bytes(assigned.ToBinary()));
  assigned.Assign(assigned);
  EXPECT_EQ("abcd", Bytes(assigned.ToBinary()));
  assigned = BinaryBuffer();
  EXPECT_EQ(0, assigned.Capacity());
}

}  // namespace
