#include "runtime/ansi_string.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

TEST(AnsiStringConstruction, KeepsEveryByteIncludingZero) {
  const char bytes[] = {'a', '\0', '\xFF', 'b'};
  const AnsiString s(bytes, 4);
  EXPECT_EQ(4, s.Length());
  EXPECT_EQ(std::string(bytes, 4), s.str());
  EXPECT_EQ(0u, s[2]);
  EXPECT_EQ(0xFFu, s[3]);  // unsigned, never a negative char
}

TEST(AnsiStringConstruction, EmptySourcesGiveTheEmptyText) {
  EXPECT_EQ(0, AnsiString().Length());
  EXPECT_STREQ("", AnsiString().CStr());
  EXPECT_EQ(0, AnsiString(static_cast<const char*>(nullptr)).Length());
  EXPECT_EQ(0, AnsiString(nullptr, 5).Length());
  EXPECT_EQ(0, AnsiString("abc", 0).Length());
  EXPECT_EQ(AnsiString(""), AnsiString(std::string()));
}

TEST(AnsiStringConstruction, FromStandardStringAndChar) {
  EXPECT_EQ("x", AnsiString('x').str());
  EXPECT_EQ(std::string("a\0b", 3), AnsiString(std::string("a\0b", 3)).str());
}

TEST(AnsiStringConstruction, AssignmentReplacesTheText) {
  AnsiString s("old");
  s = "new";
  EXPECT_EQ("new", s.str());
  s = std::string("other");
  EXPECT_EQ("other", s.str());
  s = static_cast<const char*>(nullptr);
  EXPECT_EQ(0, s.Length());
}

TEST(AnsiStringCopies, WritingOneCopyLeavesTheOtherUnchanged) {
  AnsiString original("hello");
  AnsiString copy = original;
  copy[1] = 'j';
  EXPECT_EQ("hello", original.str());
  EXPECT_EQ("jello", copy.str());

  AnsiString appended = original;
  appended += AnsiString(" world");
  EXPECT_EQ("hello", original.str());
  EXPECT_EQ("hello world", appended.str());
}

TEST(AnsiStringCopies, ByteReferenceDoesNotReachLaterCopies) {
  AnsiString s("abc");
  char& first = s[1];
  AnsiString later = s;
  first = 'z';
  EXPECT_EQ("zbc", s.str());
  EXPECT_EQ("abc", later.str());
}

TEST(AnsiStringCopies, SelfAssignmentAndSelfAppend) {
  AnsiString s("ab");
  const AnsiString& alias = s;
  s = alias;
  EXPECT_EQ("ab", s.str());
  s += s;
  EXPECT_EQ("abab", s.str());
  AnsiString shared = s;
  s += shared;
  EXPECT_EQ("abababab", s.str());
  EXPECT_EQ("abab", shared.str());
}

TEST(AnsiStringCopies, MovedFromIsEmpty) {
  AnsiString s("text");
  AnsiString moved(std::move(s));
  EXPECT_EQ("text", moved.str());
  EXPECT_EQ(0, s.Length());  // NOLINT: the moved-from state is specified
}

TEST(AnsiStringCopies, CopiesUsedOnSeparateThreads) {
  const AnsiString source(std::string(1000, 'q'));
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([source, t] {
      for (int i = 0; i < 2000; ++i) {
        AnsiString copy = source;
        copy[1] = static_cast<char>('a' + t);
        AnsiString again = copy;
        ASSERT_EQ('a' + t, again[1]);
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ('q', source[1]);
}

TEST(AnsiStringPositions, FindIsOneBased) {
  AnsiString abc("abc");
  EXPECT_EQ(3, abc.Find("c"));
  EXPECT_EQ(0, abc.Find("x"));
  EXPECT_EQ(1, abc.Find(""));
  EXPECT_EQ(2, AnsiString("abcbc").Find("bc"));
  EXPECT_EQ(0, abc.Find("abcd"));
  EXPECT_EQ(3, AnsiString(std::string("a\0b", 3)).Find("b"));
}

TEST(AnsiStringPositions, Substring) {
  AnsiString abc("abc");
  EXPECT_EQ("bc", abc.Substring(2, 5).str());
  EXPECT_EQ("ab", abc.Substring(1, 2).str());
  EXPECT_EQ("", abc.Substring(4, 5).str());
  EXPECT_EQ("", abc.Substring(2, 0).str());
  EXPECT_EQ("", abc.Substring(2, -1).str());
  EXPECT_THROW(abc.Substring(5, 1), std::out_of_range);
  EXPECT_THROW(abc.Substring(0, 1), std::out_of_range);
  EXPECT_EQ("", AnsiString().Substring(1, 3).str());
  EXPECT_THROW(AnsiString().Substring(2, 3), std::out_of_range);
}

#ifdef NDEBUG
TEST(AnsiStringPositions, ByteOutsideTheTextIsRefused) {
  AnsiString abc("abc");
  const AnsiString& view = abc;
  EXPECT_THROW(view[0], std::out_of_range);
  EXPECT_THROW(view[4], std::out_of_range);
  EXPECT_THROW(abc[4], std::out_of_range);
  EXPECT_THROW(AnsiString()[1], std::out_of_range);
  EXPECT_EQ("abc", abc.str());
}
#else
TEST(AnsiStringPositionsDeathTest, ByteOutsideTheTextStopsADebugBuild) {
  AnsiString abc("abc");
  const AnsiString& view = abc;
  EXPECT_DEATH(view[4], "outside");
  EXPECT_DEATH(abc[0], "outside");
}
#endif

TEST(AnsiStringText, ConcatenationInBothDirections) {
  AnsiString b("b");
  EXPECT_EQ("ab", ("a" + b).str());
  EXPECT_EQ("ba", (b + "a").str());
  EXPECT_EQ("b", (b + AnsiString()).str());
  EXPECT_EQ("b", b.str());
}

TEST(AnsiStringText, TrimmedDropsControlBytesAndBlanksOnly) {
  EXPECT_EQ("a b", AnsiString("\t a b \r\n").Trimmed().str());
  EXPECT_EQ("", AnsiString("   ").Trimmed().str());
  EXPECT_EQ("", AnsiString().Trimmed().str());
  EXPECT_EQ("x", AnsiString(std::string("\0x\x01", 3)).Trimmed().str());
  EXPECT_EQ("\xA0z\xFF", AnsiString(" \xA0z\xFF ").Trimmed().str());
  EXPECT_EQ("!", AnsiString("!").Trimmed().str());
}

TEST(AnsiStringText, ToUpperFollowsTheTable) {
  EXPECT_EQ("ABC XYZ 09{}`@", AnsiString("abc xyz 09{}`@").ToUpper().str());
  const std::string lower = "\x9C\x9F\xB3\xB9\xBF\xE6\xEA\xF1\xF3";
  const std::string upper = "\x8C\x8F\xA3\xA5\xAF\xC6\xCA\xD1\xD3";
  EXPECT_EQ(upper, AnsiString(lower).ToUpper().str());
  // Every byte outside the table maps to itself.
  int changed = 0;
  for (int b = 0; b < 256; ++b) {
    AnsiString one(static_cast<char>(b));
    if (one.ToUpper() != one) ++changed;
  }
  EXPECT_EQ(26 + 9, changed);
  EXPECT_EQ(upper, AnsiString(upper).ToUpper().str());
}

TEST(AnsiStringOrder, EqualityNeedsSameLengthAndBytes) {
  EXPECT_TRUE(AnsiString("ab") == AnsiString("ab"));
  EXPECT_FALSE(AnsiString("ab") != AnsiString("ab"));
  EXPECT_TRUE(AnsiString("ab") != AnsiString(std::string("ab\0", 3)));
  EXPECT_TRUE(AnsiString() == AnsiString(""));
}

TEST(AnsiStringOrder, UnsignedBytewiseWithShorterFirst) {
  EXPECT_TRUE(AnsiString("ab") < AnsiString("abc"));
  EXPECT_TRUE(AnsiString("abc") < AnsiString("abd"));
  EXPECT_TRUE(AnsiString("") < AnsiString("a"));
  EXPECT_TRUE(AnsiString("\xE6") > AnsiString("z"));
  EXPECT_FALSE(AnsiString("\xE6") < AnsiString("z"));
  EXPECT_FALSE(AnsiString("a") < AnsiString("a"));
  EXPECT_FALSE(AnsiString("a") > AnsiString("a"));
  EXPECT_TRUE(AnsiString("b") > AnsiString("abc"));
}

}  // namespace
