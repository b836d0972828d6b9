// The text of member names and how a page's name is matched against it.
#include "zip/member_name.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(MemberNameText, OnlyWellFormedUtf8IsUtf8) {
  for (const char* good : {"", "plain.txt", "zażółć", "\xE2\x82\xAC", "\xF0\x9F\x98\x80",
                           "\xED\x9F\xBF", "\xF4\x8F\xBF\xBF"}) {
    EXPECT_TRUE(isUtf8(good)) << good;
  }
  for (const char* bad :
       {"\x80", "\xC0\xAF", "\xC1\xBF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
        "\xF5\x80\x80\x80", "\xC5", "za\xBE\xA2", "\xE2\x82", "\xE2\x28\xAC"}) {
    EXPECT_FALSE(isUtf8(bad)) << bad;
  }
}

TEST(MemberNameText, Cp852BytesBecomeTheirLetters) {
  EXPECT_EQ(cp852ToUtf8("\xa5\x86\xa9\x88\xe4\xa2\x98\xab\xbe\xa4\x8f\xa8\x9d\xe3\xe0\x97\x8d\xbd"),
            "ąćęłńóśźżĄĆĘŁŃÓŚŹŻ");
  EXPECT_EQ(cp852ToUtf8("a\xb0\xfe\xff"
                        "z"),
            "a░■\u00A0z")
      << "box drawing and the last byte";
  EXPECT_EQ(cp852ToUtf8(std::string("x\0y", 3)), std::string("x\0y", 3));
}

TEST(MemberNameText, OnlyNamesThatAreNotUtf8AreReadAsCp852) {
  EXPECT_EQ(memberNameText("żółw.txt"), "żółw.txt");
  EXPECT_EQ(memberNameText("za\xBE.txt"), "zaż.txt");
}

TEST(MemberNameMatching, OnlyAsciiLettersFoldTheirCase) {
  EXPECT_TRUE(sameNameIgnoringAsciiCase("Docs/ReadMe.TXT", "docs/readme.txt"));
  EXPECT_TRUE(sameNameIgnoringAsciiCase("ZAżółć.txt", "zażółć.TXT"));
  EXPECT_FALSE(sameNameIgnoringAsciiCase("ŻÓŁW", "żółw"));
  EXPECT_FALSE(sameNameIgnoringAsciiCase("a.txt", "a.txt2"));
  EXPECT_FALSE(sameNameIgnoringAsciiCase("[", "{")) << "only letters fold";
  EXPECT_FALSE(sameNameIgnoringAsciiCase("@", "`"));
}

}  // namespace
