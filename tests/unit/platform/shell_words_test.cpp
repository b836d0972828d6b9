// Parameter texts split into arguments as a POSIX shell splits words.
#include <gtest/gtest.h>

#include "platform/shell_words.h"

namespace {

using platform::splitShellWords;
using Words = std::vector<std::string>;

TEST(ShellWords, BlanksSeparateAndNeverMakeEmptyWords) {
  EXPECT_EQ(splitShellWords(""), Words{});
  EXPECT_EQ(splitShellWords(" \t\n "), Words{});
  EXPECT_EQ(splitShellWords("  one\ttwo\n three  "), (Words{"one", "two", "three"}));
}

TEST(ShellWords, SingleQuotesKeepEverything) {
  EXPECT_EQ(splitShellWords(R"('two  words' 'back\slash "q"')"),
            (Words{"two  words", R"(back\slash "q")"}));
}

TEST(ShellWords, DoubleQuotesEscapeOnlyTheShellsFiveBytes) {
  EXPECT_EQ(splitShellWords(R"("a \"b\" \\ \$ \` c")"), Words{R"(a "b" \ $ ` c)"});
  EXPECT_EQ(splitShellWords(R"("C:\new\table")"), Words{R"(C:\new\table)"});
  EXPECT_EQ(splitShellWords("\"line\\\ncontinued\""), Words{"linecontinued"});
}

TEST(ShellWords, BackslashOutsideQuotesKeepsTheNextByte) {
  EXPECT_EQ(splitShellWords(R"(a\ b \'c\' \\)"), (Words{"a b", "'c'", "\\"}));
  EXPECT_EQ(splitShellWords("first\\\nsecond next"), (Words{"firstsecond", "next"}));
  EXPECT_EQ(splitShellWords("'' \\\n x"), (Words{"", "x"}));
}

TEST(ShellWords, TouchingPartsJoinAndEmptyQuotesAreWords) {
  EXPECT_EQ(splitShellWords(R"("a"'b'c d""e)"), (Words{"abc", "de"}));
  EXPECT_EQ(splitShellWords(R"('' "" x)"), (Words{"", "", "x"}));
}

TEST(ShellWords, NothingIsExpanded) {
  EXPECT_EQ(splitShellWords("$HOME ~ *.txt a;b |c $(rm -rf x)"),
            (Words{"$HOME", "~", "*.txt", "a;b", "|c", "$(rm", "-rf", "x)"}));
}

TEST(ShellWords, UnclosedQuoteRunsToTheEnd) {
  EXPECT_EQ(splitShellWords(R"(a "b c)"), (Words{"a", "b c"}));
  EXPECT_EQ(splitShellWords("a 'b c"), (Words{"a", "b c"}));
  EXPECT_EQ(splitShellWords("trailing\\"), Words{"trailing"});
}

TEST(ShellWords, Utf8BytesPassThrough) {
  EXPECT_EQ(splitShellWords("zażółć 'gęślą jaźń'"), (Words{"zażółć", "gęślą jaźń"}));
}

}  // namespace
