#include "runtime/lookup_buffer.h"

#include <gtest/gtest.h>

#include <string>

namespace {

bool Feed(LookupBuffer& buffer, const std::string& bytes) {
  return buffer.Feed(bytes.data(), static_cast<int>(bytes.size()));
}

TEST(LookupBuffer, SeparatorSplitAcrossTwoFeeds) {
  LookupBuffer buffer("\r\n\r\n");
  EXPECT_FALSE(Feed(buffer, "HTTP/1.0 200 OK\r\n\r"));
  EXPECT_TRUE(Feed(buffer, "\nbody"));
  EXPECT_EQ("HTTP/1.0 200 OK", buffer.Head().str());
  EXPECT_EQ("body", buffer.Body().str());
  EXPECT_FALSE(Feed(buffer, "\r\n\r\nmore"));
  EXPECT_EQ("body\r\n\r\nmore", buffer.Body().str());
  EXPECT_EQ("HTTP/1.0 200 OK", buffer.Head().str());
}

// Every way of cutting the stream into two feeds, and one byte at a time,
// finds the first separator and places every byte.
TEST(LookupBuffer, EveryChunkBoundaryGivesTheSameSplit) {
  const std::string stream = "head\r\nline\r\n\r\nbody\r\n\r\nrest";
  for (size_t cut = 0; cut <= stream.size(); ++cut) {
    LookupBuffer buffer("\r\n\r\n");
    const bool first = Feed(buffer, stream.substr(0, cut));
    const bool second = Feed(buffer, stream.substr(cut));
    EXPECT_TRUE(first != second) << "cut at " << cut;
    EXPECT_EQ(first, cut >= 14) << "cut at " << cut;
    EXPECT_EQ("head\r\nline", buffer.Head().str()) << "cut at " << cut;
    EXPECT_EQ("body\r\n\r\nrest", buffer.Body().str()) << "cut at " << cut;
  }
  LookupBuffer bytewise("\r\n\r\n");
  int found = 0;
  for (char c : stream) found += Feed(bytewise, std::string(1, c)) ? 1 : 0;
  EXPECT_EQ(1, found);
  EXPECT_EQ("head\r\nline", bytewise.Head().str());
  EXPECT_EQ("body\r\n\r\nrest", bytewise.Body().str());
}

TEST(LookupBuffer, PartialSeparatorThatFailsReturnsToTheHead) {
  LookupBuffer buffer("abab");
  EXPECT_FALSE(Feed(buffer, "xaba"));
  EXPECT_TRUE(Feed(buffer, "bab!"));
  EXPECT_EQ("x", buffer.Head().str());
  EXPECT_EQ("ab!", buffer.Body().str());
}

TEST(LookupBuffer, InputShorterThanTheSeparatorStaysPending) {
  LookupBuffer buffer("\r\n\r\n");
  EXPECT_FALSE(Feed(buffer, "ab"));
  EXPECT_EQ("", buffer.Head().str());
  EXPECT_EQ("", buffer.Body().str());
  EXPECT_FALSE(Feed(buffer, "cdef"));
  EXPECT_EQ("abc", buffer.Head().str());  // "def" may still start a separator
}

TEST(LookupBuffer, ZeroBytesFeedNothing) {
  LookupBuffer buffer("--");
  EXPECT_FALSE(buffer.Feed(nullptr, 0));
  EXPECT_FALSE(buffer.Feed("x", 0));
  EXPECT_FALSE(buffer.Feed(nullptr, 5));
  EXPECT_FALSE(buffer.Feed("ab", -1));
  EXPECT_TRUE(Feed(buffer, "a--b"));
  EXPECT_FALSE(buffer.Feed(nullptr, 0));
  EXPECT_EQ("a", buffer.Head().str());
  EXPECT_EQ("b", buffer.Body().str());
}

TEST(LookupBuffer, SeparatorAtTheVeryStartOrEnd) {
  LookupBuffer start("\n");
  EXPECT_TRUE(Feed(start, "\nx"));
  EXPECT_EQ("", start.Head().str());
  EXPECT_EQ("x", start.Body().str());
  LookupBuffer end("\n\n");
  EXPECT_TRUE(Feed(end, "x\n\n"));
  EXPECT_EQ("x", end.Head().str());
  EXPECT_EQ("", end.Body().str());
}

TEST(LookupBuffer, EmptySeparatorIsFoundAtOnce) {
  LookupBuffer buffer("");
  EXPECT_TRUE(Feed(buffer, "abc"));
  EXPECT_EQ("", buffer.Head().str());
  EXPECT_EQ("abc", buffer.Body().str());
}

}  // namespace
