#include "runtime/base64.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "tests/unit/runtime/test_support.h"

namespace {

const char kSymbols[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Base64 spelled out bit by bit, to check the table-driven code against.
std::string ReferenceEncode(const std::string& bytes) {
  std::string bits;
  for (unsigned char c : bytes) {
    for (int b = 7; b >= 0; --b) bits += (c >> b & 1) ? '1' : '0';
  }
  while (bits.size() % 6 != 0) bits += '0';
  std::string text;
  for (size_t i = 0; i < bits.size(); i += 6) {
    text += kSymbols[std::stoi(bits.substr(i, 6), nullptr, 2)];
  }
  while (text.size() % 4 != 0) text += '=';
  return text;
}

std::string Pattern(size_t length) {
  std::string bytes;
  for (size_t i = 0; i < length; ++i) bytes += static_cast<char>(i * 37 + length);
  return bytes;
}

TEST(Base64Encode, KnownTexts) {
  EXPECT_EQ("YWJj", Base64Encode(AnsiString("abc")).str());
  EXPECT_EQ("YWI=", Base64Encode(AnsiString("ab")).str());
  EXPECT_EQ("YQ==", Base64Encode(AnsiString("a")).str());
  EXPECT_EQ("", Base64Encode(AnsiString()).str());
  EXPECT_EQ("", Base64Encode(nullptr, 3).str());
  EXPECT_EQ("AP8=", Base64Encode(BinaryOf(std::string("\0\xFF", 2))).str());
}

TEST(Base64, RoundTripOfEveryLengthUpTo300) {
  for (size_t length = 0; length <= 300; ++length) {
    const std::string bytes = Pattern(length);
    const AnsiString text = Base64Encode(AnsiString(bytes));
    ASSERT_EQ(ReferenceEncode(bytes), text.str()) << "length " << length;
    ASSERT_EQ(bytes, Base64Decode(text).str()) << "length " << length;
    ASSERT_EQ(bytes, Bytes(Base64DecodeBinary(text))) << "length " << length;
  }
}

// A text written piece by piece into one buffer, as a file is encoded while
// it is read: only the last piece may end in padding.
TEST(Base64EncodeInto, PiecesOfWholeGroupsGiveTheTextOfTheWhole) {
  const std::string bytes = Pattern(100);
  for (size_t piece = 3; piece <= 48; piece += 3) {
    std::string text(Base64EncodedLength(bytes.size()), '?');
    for (size_t at = 0; at < bytes.size(); at += piece) {
      const std::string_view part = std::string_view(bytes).substr(at, piece);
      Base64EncodeInto(part, &text[at / 3 * 4]);
    }
    ASSERT_EQ(ReferenceEncode(bytes), text) << "pieces of " << piece;
  }
}

TEST(Base64Decode, StopsAtPaddingOrForeignBytes) {
  EXPECT_EQ("abc", Base64Decode("YWJj").str());
  EXPECT_EQ("ab", Base64Decode("YWI").str());
  EXPECT_EQ("a", Base64Decode("YW Jj").str());
  EXPECT_EQ("a", Base64Decode("YQ==YWJj").str());
  EXPECT_EQ("abc", Base64Decode("YWJj\r\nYWJj").str());
  EXPECT_EQ("abc", Base64Decode("YWJj-_").str());
  EXPECT_EQ("", Base64Decode("=YWJj").str());
  EXPECT_EQ("", Base64Decode("").str());
  EXPECT_EQ("abc", Base64Decode(AnsiString(std::string("YWJj\0YWJj", 9))).str());
  EXPECT_EQ("abc", Base64Decode("YWJj\xC3\xA9").str());
}

TEST(Base64Decode, IncompleteFinalGroups) {
  EXPECT_EQ("abc", Base64Decode("YWJjY").str());  // one symbol gives nothing
  EXPECT_EQ("abca", Base64Decode("YWJjYQ").str());
  EXPECT_EQ("abcab", Base64Decode("YWJjYWI").str());
  EXPECT_EQ("", Base64Decode("Y").str());
  // Bits below the last whole byte are ignored, not checked.
  EXPECT_EQ("a", Base64Decode("YR").str());
}

TEST(Base64Decode, BinaryFormMatchesTheText) {
  EXPECT_EQ("ab", Bytes(Base64DecodeBinary("YWI=")));
  EXPECT_EQ(nullptr, Base64DecodeBinary("!").Data());
  EXPECT_EQ(0, Base64DecodeBinary("").Size());
}

}  // namespace
