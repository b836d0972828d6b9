#include <gtest/gtest.h>

#include <string>

#include "runtime/exception.h"
#include "runtime/sf_data.h"
#include "runtime/sf_parse.h"
#include "runtime/sf_token.h"
#include "tests/unit/runtime/test_support.h"

namespace {

// What reading every token of the text ends with: the message of the
// Exception or AnsiString thrown, or "<end>".
std::string Failure(const std::string& text) {
  StringSFTokenStream tokens{AnsiString(text)};
  testing::internal::CaptureStdout();
  std::string failure = "<end>";
  try {
    while (true) tokens.next();
  } catch (const Exception& e) {
    failure = e.Message().str();
  } catch (const AnsiString& thrown) {
    failure = "AnsiString " + thrown.str();
  }
  testing::internal::GetCapturedStdout();
  return failure;
}

std::string FirstText(const std::string& text) {
  return StringSFTokenStream(AnsiString(text)).next().asText().str();
}

// The SF text written back, or "<none>" for the empty Option.
std::string Reparsed(const std::string& text) {
  Option<SFData> value = parseSFText(AnsiString(text));
  return value.isNone() ? "<none>" : value.asValue().toString().str();
}

SFData Text(const char* text) { return SFData(AnsiString(text)); }

TEST(SFWriter, EscapesQuotesBackslashesAndControlBytesOnly) {
  EXPECT_EQ("\"\\#34;\\#92;\\#10;\xE9\"", Text("\"\\\n\xE9").toString().str());
  RefDynSet<SFData> inner;
  RefDynSet<SFData> outer;
  outer.Add(Text("a"));
  outer.Add(SFData(inner));
  outer.Add(Text(""));
  EXPECT_EQ("[\"a\", [], \"\"]", SFData(outer).toString().str());
}

TEST(SFWriter, EveryByteRoundTripsThroughTheTokenizer) {
  std::string all;
  std::string expected = "\"";
  for (int byte = 0; byte < 256; ++byte) {
    all += static_cast<char>(byte);
    const bool escaped = byte < 0x20 || byte == '"' || byte == '\\';
    expected +=
        escaped ? "\\#" + std::to_string(byte) + ";" : std::string(1, static_cast<char>(byte));
  }
  expected += "\"";
  const AnsiString written = SFData(AnsiString(all)).toString();
  EXPECT_EQ(expected, written.str());
  EXPECT_EQ(all, FirstText(written.str()));
}

TEST(SFTokenizer, ReadsTokensAndSkipsOnlyBlanksAndLineBreaks) {
  StringSFTokenStream tokens(" \r\n[ \"x\" ,]\n");
  EXPECT_TRUE(tokens.next().isOpen());
  SFToken text = tokens.next();
  EXPECT_TRUE(text.isText());
  EXPECT_EQ("x", text.asText().str());
  EXPECT_TRUE(tokens.next().isComma());
  EXPECT_FALSE(tokens.atEnd());
  EXPECT_TRUE(tokens.next().isClose());
  EXPECT_TRUE(tokens.atEnd());
  testing::internal::CaptureStdout();
  EXPECT_EQ("SFToken::asText", ExceptionMessage([] { SFToken(kSFTokenComma).asText(); }));
  testing::internal::GetCapturedStdout();
}

TEST(SFTokenizer, FailsWithItsMessagesAndPositions) {
  const std::string end = "StringSFTokenStream::next(niespodziewany koniec danych)";
  EXPECT_EQ(end, Failure(""));
  EXPECT_EQ(end, Failure("   "));
  EXPECT_EQ(end, Failure("[\"a\""));
  EXPECT_EQ("StringSFTokenStream::next(niespodziewany znak na pozycji 2)", Failure("[a]"));
  EXPECT_EQ("StringSFTokenStream::next(niespodziewany znak na pozycji 2)", Failure("[\t]"));
  EXPECT_EQ(
      "StringSFTokenStream::next(niespodziewany koniec \xB3\x61\xF1\x63\x75\x63\x68\x61 na pozycji "
      "1)",
      Failure("\"abc"));
  EXPECT_EQ(
      "StringSFTokenStream::next(niespodziewany koniec \xB3\x61\xF1\x63\x75\x63\x68\x61 na pozycji "
      "4)",
      Failure("[\n \"abc"));
}

TEST(SFTokenizer, UnescapesNumbersModulo256) {
  EXPECT_EQ("A", FirstText("\"\\#65;\""));
  EXPECT_EQ("A", FirstText("\"\\#321;\""));
  EXPECT_EQ(
      "x\xFF"
      "y",
      FirstText("\"x\\#-1;y\""));
  EXPECT_EQ("\xFF", FirstText("\"\\#99999999999999999999;\""));  // saturates, no overflow
  EXPECT_EQ(" ;", FirstText("\"\\# 32;;\""));
  EXPECT_EQ("unescape", Failure("\"\\x;\""));
  EXPECT_EQ("unescape", Failure("\"\\#65\""));
  EXPECT_EQ("unescape", Failure("\"a\\\""));
  EXPECT_EQ("AnsiString AnsiString::ToInt()", Failure("\"\\#;\""));
  EXPECT_EQ("AnsiString AnsiString::ToInt()", Failure("\"\\#6x;\""));
}

TEST(SFPutBack, AnswersTheMostRecentlyGivenBackFirst) {
  StringSFTokenStream inner("]");
  PutBackSFTokenStream tokens(&inner);
  tokens.putBack(SFToken(kSFTokenText, "first"));
  tokens.putBack(SFToken(kSFTokenOpen));
  EXPECT_EQ(2, tokens.waiting());
  EXPECT_TRUE(tokens.next().isOpen());
  EXPECT_EQ("first", tokens.next().asText().str());
  EXPECT_FALSE(tokens.atEnd());
  EXPECT_TRUE(tokens.next().isClose());
  EXPECT_TRUE(tokens.atEnd());
}

TEST(SFParser, AcceptsExactlyOneValue) {
  EXPECT_EQ("[\"a\", \"b\"]", Reparsed("  [\"a\" ,\"b\"]  "));
  EXPECT_EQ("[]", Reparsed("[]"));
  EXPECT_EQ("[[], [\"x\", []]]", Reparsed("[[],[\"x\",[]]]"));
  for (const char* refused :
       {"\"x\" \"y\"", "[\"a\",]", "[,]", "[\"a\" \"b\"]", "]", ",", "[\"a\"]]"}) {
    EXPECT_EQ("<none>", Reparsed(refused)) << refused;
  }
  // Ending early is the tokenizer's failure, not a shape failure.
  testing::internal::CaptureStdout();
  EXPECT_EQ("StringSFTokenStream::next(niespodziewany koniec danych)",
            ExceptionMessage([] { parseSFText("[[]"); }));
  testing::internal::GetCapturedStdout();
}

TEST(SFData, AccessorsRefuseTheOtherKind) {
  testing::internal::CaptureStdout();
  EXPECT_EQ("SFData::asArray", ExceptionMessage([] { Text("a").asArray(); }));
  EXPECT_EQ("SFData::asText", ExceptionMessage([] { SFData(RefDynSet<SFData>()).asText(); }));
  testing::internal::GetCapturedStdout();
}

TEST(SFData, CopiesShareTheElementList) {
  RefDynSet<SFData> list;
  SFData array(list);
  SFData copy = array;
  list.Add(Text("late"));
  EXPECT_EQ("[\"late\"]", copy.toString().str());
}

std::string Nested(int depth, const std::string& inside) {
  return std::string(depth, '[') + inside + std::string(depth, ']');
}

// Nesting is refused beyond kMaxSFDepth, whatever the input's depth.
TEST(SFDepth, DeepInputIsNotAValueAndNeverExhaustsTheStack) {
  EXPECT_NE("<none>", Reparsed(Nested(kMaxSFDepth, "\"x\"")));
  EXPECT_NE("<none>", Reparsed(Nested(kMaxSFDepth, "")));
  EXPECT_EQ("<none>", Reparsed(Nested(kMaxSFDepth + 1, "")));
  EXPECT_EQ("<none>", Reparsed(Nested(1000000, "\"x\"")));
  EXPECT_EQ("<none>", Reparsed(std::string(1000000, '[')));
}

TEST(SFDepth, ADeepTreeBuiltByHandIsRefusedByTheWriterAndFreedFlat) {
  SFData root = Text("leaf");
  for (int i = 0; i < 1000000; ++i) {
    RefDynSet<SFData> list;
    list.Add(root);
    root = SFData(list);
  }
  testing::internal::CaptureStdout();
  EXPECT_EQ("SFData::toString, too deep", ExceptionMessage([&] { root.toString(); }));
  testing::internal::GetCapturedStdout();
}

}  // namespace
