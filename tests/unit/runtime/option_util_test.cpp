#include "runtime/option_util.h"

#include <gtest/gtest.h>

namespace {

TEST(OptionUtil, MatchesByPrefixFirstEntryWins) {
  OptionUtil options({"base64", "timeout=30", "time=1"});
  EXPECT_EQ(1, options.indexOf("time"));
  EXPECT_EQ(0, options.indexOf("base"));
  EXPECT_EQ(-1, options.indexOf("timeouts"));
  EXPECT_EQ(0, options.indexOf(""));
}

TEST(OptionUtil, FlagsStringsAndNumbers) {
  OptionUtil options({"base64", "timeout=30", "name=a=b", "port=x"});
  EXPECT_EQ(1, options.getFlag("base64", 0));
  EXPECT_EQ(0, options.getFlag("gzip", 0));
  EXPECT_EQ("30", options.getString("timeout", "none"));
  EXPECT_EQ("a=b", options.getString("name", ""));
  EXPECT_EQ("", options.getString("base64", "none"));
  EXPECT_EQ("none", options.getString("gzip", "none"));
  EXPECT_EQ(30, options.getInt("timeout", 5));
  EXPECT_EQ(5, options.getInt("retries", 5));
  EXPECT_EQ(5, options.getInt("base64", 5));
  EXPECT_EQ(5, options.getInt("port", 5));
}

TEST(OptionUtil, ParseSplitsAtEveryCommaKeepingEmptyPieces) {
  OptionUtil options = OptionUtil::Parse("a,,timeout=30,");
  EXPECT_EQ(0, options.indexOf("a"));
  EXPECT_EQ(2, options.indexOf("timeout"));
  EXPECT_EQ(1, OptionUtil::Parse(",x").indexOf("x"));  // the empty piece counts
  EXPECT_EQ(30, options.getInt("timeout", 5));
  EXPECT_EQ(0, OptionUtil::Parse("").indexOf(""));
  EXPECT_EQ(-1, OptionUtil::Parse("").indexOf("a"));
}

}  // namespace
