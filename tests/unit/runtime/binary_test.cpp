#include "runtime/binary.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "tests/unit/runtime/test_support.h"

namespace {

TEST(Binary, EmptyHasNoData) {
  EXPECT_EQ(0, Binary().Size());
  EXPECT_EQ(nullptr, Binary().Data());
  EXPECT_EQ(nullptr, Binary("abc", 0).Data());
  EXPECT_EQ(nullptr, Binary(nullptr, 3).Data());
}

TEST(Binary, CopiesAreDeep) {
  std::string source("a\0b", 3);
  Binary original = BinaryOf(source);
  source[0] = 'x';
  Binary copy = original;
  EXPECT_NE(original.Data(), copy.Data());
  EXPECT_EQ(std::string("a\0b", 3), Bytes(copy));
  Binary assigned;
  assigned = original;
  EXPECT_EQ(Bytes(original), Bytes(assigned));
  const Binary& self = assigned;
  assigned = self;
  EXPECT_EQ(Bytes(original), Bytes(assigned));
}

TEST(Binary, AppendJoinsInOrderIncludingItself) {
  Binary block = BinaryOf("ab");
  block.Append(BinaryOf("cd"));
  EXPECT_EQ("abcd", Bytes(block));
  block.Append(Binary());
  EXPECT_EQ("abcd", Bytes(block));
  block.Append(block);
  EXPECT_EQ("abcdabcd", Bytes(block));
  Binary empty;
  empty.Append(BinaryOf("x"));
  EXPECT_EQ("x", Bytes(empty));
}

TEST(Binary, SubWithinTheBlock) {
  Binary block = BinaryOf("abcdef");
  EXPECT_EQ("cde", Bytes(block.Sub(2, 3)));
  EXPECT_EQ("abcdef", Bytes(block.Sub(0, 6)));
  EXPECT_EQ("", Bytes(block.Sub(6, 0)));
  EXPECT_EQ("", Bytes(Binary().Sub(0, 0)));
}

#ifdef NDEBUG
TEST(Binary, SubOutsideTheBlockIsRefused) {
  Binary block = BinaryOf("abcdef");
  EXPECT_THROW(block.Sub(4, 3), std::out_of_range);
  EXPECT_THROW(block.Sub(-1, 2), std::out_of_range);
  EXPECT_THROW(block.Sub(1, -1), std::out_of_range);
  EXPECT_THROW(block.Sub(2147483647, 2147483647), std::out_of_range);
}
#else
TEST(BinaryDeathTest, SubOutsideTheBlockStopsADebugBuild) {
  Binary block = BinaryOf("abcdef");
  EXPECT_DEATH(block.Sub(4, 3), "outside");
}
#endif

}  // namespace
