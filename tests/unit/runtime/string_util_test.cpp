#include "runtime/string_util.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Pieces(const std::string& text, char separator) {
  DynSet<AnsiString> set = Split(AnsiString(text), separator);
  std::vector<std::string> pieces;
  for (int i = 0; i < set.Count(); ++i) pieces.push_back(set[i].str());
  return pieces;
}

using Texts = std::vector<std::string>;

TEST(Split, LastByteIsNeverACut) {
  EXPECT_EQ((Texts{"a", "b,"}), Pieces("a,b,", ','));
  EXPECT_EQ((Texts{","}), Pieces(",", ','));
  EXPECT_EQ((Texts{"", ","}), Pieces(",,", ','));
}

TEST(Split, EmptyPiecesAndSingles) {
  EXPECT_EQ((Texts{"a", "", "b"}), Pieces("a,,b", ','));
  EXPECT_EQ((Texts{"", "a"}), Pieces(",a", ','));
  EXPECT_EQ((Texts{"abc"}), Pieces("abc", ','));
  EXPECT_EQ((Texts{""}), Pieces("", ','));
}

TEST(Split, HeaderLines) {
  EXPECT_EQ((Texts{"HTTP/1.0 200 OK\r", "Content-Length: 3\r"}),
            Pieces("HTTP/1.0 200 OK\r\nContent-Length: 3\r", '\n'));
  EXPECT_EQ((Texts{"a", "b"}), Pieces(std::string("a\0b", 3), '\0'));
}

TEST(ReplaceAll, LeftToRightWithoutOverlaps) {
  EXPECT_EQ("xa", ReplaceAll("aaa", "aa", "x").str());
  EXPECT_EQ("<b>1</b>", ReplaceAll(ReplaceAll("[b]1[/b]", "[", "<"), "]", ">").str());
  EXPECT_EQ("a--b--", ReplaceAll("a-b-", "-", "--").str());
  EXPECT_EQ("", ReplaceAll("abab", "ab", "").str());
  EXPECT_EQ("none", ReplaceAll("none", "x", "y").str());
  EXPECT_EQ("", ReplaceAll("", "x", "y").str());
  EXPECT_EQ("yy", ReplaceAll("xx", "x", "y").str());
}

#ifdef NDEBUG
TEST(ReplaceAll, EmptyPatternLeavesTheTextInRelease) {
  EXPECT_EQ("abc", ReplaceAll("abc", "", "y").str());
}
#endif

}  // namespace
