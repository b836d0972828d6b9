// The positional JSON reader of the print document: the quirks pages rely
// on, and every failure text.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "print/json_form.h"
#include "print/pdf_types.h"
#include "tests/unit/runtime/test_support.h"

namespace {

const char kFont[] =
    R"({"fontFamily":"Arial","fontSize":"10","fontWeight":{"type":1,"value":0},"color":"black"})";

std::string textElem(const std::string& value) {
  return R"({"type":0,"value":{"pos":{"x":"20","y":"30"},"value":")" + value + R"(","font":)" +
         kFont + "}}";
}

TEST(PdfReaderFields, AreTakenByPositionNotByKey) {
  PdfPos renamed = PdfPos::fromJSON(R"({"a":"1","b":"2"})");
  EXPECT_EQ("1", renamed.x().str());
  EXPECT_EQ("2", renamed.y().str());
  PdfPos swapped = PdfPos::fromJSON(R"({"y":"2","x":"1"})");
  EXPECT_EQ("2", swapped.x().str());
  EXPECT_EQ("1", swapped.y().str());
}

TEST(PdfReaderFields, ExtraTrailingFieldsAreIgnored) {
  EXPECT_EQ(PdfPos("1", "2"), PdfPos::fromJSON(R"({"x":"1","y":"2","z":"3"})"));
}

// A bare JSON number is read as the number it is, whatever its length; a
// value that is neither a number nor a string still loses its first and last
// byte as if they were quotes.
TEST(PdfReaderFields, BareNumbersAreTheirOwnText) {
  EXPECT_EQ(PdfPos("1", "297"), PdfPos::fromJSON(R"({"x":1,"y":297})"));
  EXPECT_EQ(PdfPos("-0.5", "1e3"), PdfPos::fromJSON(R"({"x":-0.5,"y":1e3})"));
  EXPECT_EQ(PdfPos("2", "ru"), PdfPos::fromJSON(R"({"x":12x,"y":true})"));
  EXPECT_EQ("String::FromJSON", ExceptionMessage([] { PdfPos::fromJSON(R"({"x":-,"y":2})"); }));
}

TEST(PdfReaderFields, WhiteSpaceIsNotSkipped) {
  PdfPos pos = PdfPos::fromJSON(R"({"x": "1","y":"2"})");
  EXPECT_EQ("\"1", pos.x().str());
  EXPECT_EQ("2", pos.y().str());
}

TEST(PdfReaderFields, BracketsAndCommasInsideStringsDoNotEndAValue) {
  PdfPos pos = PdfPos::fromJSON(R"({"x":"a,}]{[b","y":"2"})");
  EXPECT_EQ("a,}]{[b", pos.x().str());
  EXPECT_EQ("2", pos.y().str());
}

TEST(PdfReaderFields, ATextEndingInAQuoteReadsWholeAndKeepsTheNextFields) {
  PdfElem elem = PdfElem::fromJSON(textElem(R"(say \"hi\")"));
  EXPECT_EQ("say \"hi\"", elem.asText().value().str());
  EXPECT_EQ("Arial", elem.asText().font().fontFamily().str());
  EXPECT_TRUE(elem.asText().font().fontWeight().isBold());
}

TEST(PdfReaderFields, WhiteSpaceAfterARecordCarriesItsBraceIntoTheLastValue) {
  PdfSize size = PdfSize::fromJSON(R"({"width":"1","height":"2"} )");
  EXPECT_EQ("2\"", size.height().str());
}

// Where one value ends: texts are passed in one go, which must not change
// what an escape, an unclosed text or the last byte of the text does.
TEST(PdfReaderScan, EndsAValueWhereTheByteWalkEndsIt) {
  const std::size_t none = std::string_view::npos;
  const std::vector<std::tuple<std::string, std::size_t, std::size_t>> cases = {
      {R"("ab",x)", 0, 4},    {R"("a\"b",x)", 0, 6},       {R"("a\\",b)", 0, 5},
      {R"("a,b")", 0, 4},     {R"({"k":[1,2]},z)", 0, 11}, {R"([1,"]",2])", 0, 8},
      {R"(a:"x,y",b)", 1, 7}, {R"(x\",y)", 0, 3},          {R"(}],x)", 0, 2},
      {R"("abc)", 0, none},   {R"("ab\)", 0, none},        {R"("x\")", 0, none},
      {R"(1")", 0, none},
  };
  for (const auto& [text, from, end] : cases) {
    EXPECT_EQ(end, json_form::scanValue(text, from)) << text << " from " << from;
  }
}

TEST(PdfReaderVariants, WeightsReadInIndexAndNameForm) {
  EXPECT_TRUE(PdfFontWeight::fromJSON(R"({"type":0,"value":0})").isNormal());
  EXPECT_TRUE(PdfFontWeight::fromJSON(R"({"type":1,"value":0})").isBold());
  EXPECT_TRUE(PdfFontWeight::fromJSON(R"({"bold":{}})").isBold());
  EXPECT_TRUE(PdfFontWeight::fromJSON(R"({"normal":0})").isNormal());
  EXPECT_TRUE(PdfLineStyle::fromJSON(R"({"type":1,"value":0})").isDash());
  EXPECT_TRUE(PdfLineStyle::fromJSON(R"({"solid":{}})").isSolid());
}

TEST(PdfReaderVariants, IndexFormNeedsMoreThanTheDigit) {
  EXPECT_EQ("PdfFontWeight::fromJSON",
            ExceptionMessage([] { PdfFontWeight::fromJSON(R"({"type":1})"); }));
}

TEST(PdfReaderVariants, ElementsReadInIndexAndNameForm) {
  const std::string line =
      R"({"pos1":{"x":"1","y":"2"},"pos2":{"x":"3","y":"4"},"width":"0.5","color":"red","style":{"dash":0}})";
  PdfElem byIndex = PdfElem::fromJSON(R"({"type":2,"value":)" + line + "}");
  PdfElem byName = PdfElem::fromJSON(R"({"line":)" + line + "}");
  ASSERT_TRUE(byIndex.isLine());
  EXPECT_EQ(byIndex, byName);
  EXPECT_EQ("3", byIndex.asLine().pos2().x().str());
  EXPECT_TRUE(byIndex.asLine().style().isDash());
}

TEST(PdfReaderArrays, EmptyArraysReadAsNothing) {
  EXPECT_EQ(0, PdfPage::fromJSON(R"({"elems":[]})").elems().Count());
  PdfObj empty = PdfObj::fromJSON(R"({"size":{"width":"210","height":"297"},"pages":[]})");
  EXPECT_EQ(0, empty.pages().Count());
  EXPECT_EQ("210", empty.size().width().str());
}

TEST(PdfReaderArrays, ATrailingCommaEndsTheArray) {
  PdfElems elems = PdfElems::fromJSON("[" + textElem("a") + "," + textElem("b") + ",]");
  ASSERT_EQ(2, elems.Count());
  EXPECT_EQ("b", elems[1].asText().value().str());
}

TEST(PdfReaderArrays, AnElementCutOffByTheEndOfTheTextIsDropped) {
  const std::string cut = textElem("b");
  PdfElems elems = PdfElems::fromJSON("[" + textElem("a") + "," + cut.substr(0, cut.size() - 3));
  ASSERT_EQ(1, elems.Count());
  EXPECT_EQ("a", elems[0].asText().value().str());
}

// Each reader's own failure, once.
TEST(PdfReaderFailures, NameTheTypeThatFailed) {
  const std::string size = R"({"width":"1","height":"2"})";
  const std::string pos = R"({"x":"1","y":"2"})";
  const std::pair<std::string, std::function<void()>> cases[] = {
      {"PdfPos::fromJSON", [] { PdfPos::fromJSON(R"({"x":"1"})"); }},
      {"PdfSize::fromJSON", [] { PdfSize::fromJSON(R"({"width":,"height":"2"})"); }},
      {"PdfFont::fromJSON", [] { PdfFont::fromJSON(R"({"fontFamily":"A"})"); }},
      {"PdfText::fromJSON", [] { PdfText::fromJSON("{}"); }},
      {"PdfRectText::fromJSON", [=] { PdfRectText::fromJSON(R"({"pos":)" + pos + "}"); }},
      {"PdfLine::fromJSON", [=] { PdfLine::fromJSON(R"({"pos1":)" + pos + "}"); }},
      {"PdfRect::fromJSON",
       [=] { PdfRect::fromJSON(R"({"pos":)" + pos + R"(,"size":)" + size + "}"); }},
      {"PdfPage::fromJSON", [] { PdfPage::fromJSON("[]"); }},
      {"PdfObj::fromJSON", [] { PdfObj::fromJSON(""); }},
      {"PdfElems::fromJSON", [] { PdfPage::fromJSON(R"({"elems":{}})"); }},
      {"PdfPages::fromJSON", [=] { PdfObj::fromJSON(R"({"size":)" + size + R"(,"pages":"x"})"); }},
      {"PdfFontWeight::fromJSON", [] { PdfFontWeight::fromJSON(R"({"heavy":{}})"); }},
      {"PdfLineStyle::fromJSON", [] { PdfLineStyle::fromJSON("{}"); }},
      {"PdfElem::fromJSON", [] { PdfElem::fromJSON(R"({"circle":{}})"); }},
      {"PdfElem::fromJSON", [] { PdfElem::fromJSON(R"({"type":0,"value")"); }},
      {"String::FromJSON", [] { PdfSize::fromJSON(R"({"width":"1","height":"2)"); }},
  };
  for (const auto& [message, action] : cases) EXPECT_EQ(message, ExceptionMessage(action));
}

TEST(PdfReaderFailures, TheLastMalformedFieldIsReported) {
  // Both the size and the pages are malformed; pages come last.
  EXPECT_EQ("PdfPages::fromJSON",
            ExceptionMessage([] { PdfObj::fromJSON(R"({"size":{},"pages":"none"})"); }));
}

// readJSON reads compact JSON in one pass and any other text by position;
// both must give the same value, or the same failure, for every text.
template <typename T>
std::string readingOf(const std::function<T(std::string_view)>& read, const std::string& json) {
  std::string message = ExceptionMessage([&] { read(json); });
  return message == "<nothing thrown>" ? read(json).toJSON().str() : message;
}

template <typename T>
void expectOneReading(const std::vector<std::string>& texts) {
  for (const std::string& json : texts) {
    EXPECT_EQ(readingOf<T>(T::readByPosition, json), readingOf<T>(T::readJSON, json)) << json;
  }
}

TEST(PdfReaderPasses, TheOnePassReadingIsThePositionalOne) {
  const std::string pos = R"({"x":"1","y":"2"})";
  const std::string line = R"({"pos1":)" + pos + R"(,"pos2":)" + pos +
                           R"(,"width":"1","color":"red","style":{"type":1,"value":0}})";
  expectOneReading<PdfPos>({
      pos,
      R"({"":"1","long key":"2"})",
      R"({"x":"a"b\","y":"ó
"})",
      R"({"x":"1","y":"2","z":{"a":[1,"]",{}],"b":null},"w":"}"})",
      R"({"x":"1","y":"2","z":[}})",
      R"({"x":"1","y":"2","})",
      R"({"x:y":"1","y":"2"})",
      R"({"x"":"1","y":"2"})",
      R"({"x":"1","y":"2"}])",
      pos + " ",
      R"({"x":"1","y":"2)",
      R"({"x":"1"})",
      R"({"x":{"a":"b"},"y":"2"})",
      R"({"x":210,"y":-2.5e1})",
      R"({"x":12x,"y":2})",
      R"({"x":0,"y":01})",
  });
  expectOneReading<PdfLineStyle>({
      R"({"type":1,"value":0})",
      R"({"dash":{"a":[1]}})",
      R"({"t":0,"v":0,"extra":1})",
      R"({"type":7,"value":0})",
      R"({"dash":0})",
      R"({"solid"})",
  });
  expectOneReading<PdfElem>({
      R"({"type":2,"value":)" + line + "}",
      R"({"line":)" + line + "}",
      R"({"kind":2,"VALUE":)" + line + "}",
      R"({"type":2,"value":)" + line + R"(,"more":1})",
      R"({"type":4,"value":)" + line + "}",
      R"({"rect":)" + line + "}",
      R"({"type":0,"value":)" + textElem("x") + "}",
  });
  expectOneReading<PdfElems>({
      "[]",
      "[" + textElem("a") + "," + textElem("b") + "]",
      "[" + textElem("a") + ",]",
      "[" + textElem("a") + "," + textElem("b"),
      "[" + textElem("a") + "]]",
      "[ ]",
  });
}

// Pages send what JSON.stringify writes; every escape it uses decodes.
TEST(PdfReaderText, DecodesEveryJsonEscape) {
  const std::pair<std::string, std::string> cases[] = {
      {R"("a\nb\rc")", "a\nb\rc"},
      {R"("tab\there")", "tab\there"},
      {R"("\b\f\/")", "\b\f/"},
      {R"("\\ \"")", "\\ \""},
      {R"("\u0041\u00f3\u20ac")", "A\xc3\xb3\xe2\x82\xac"},
      {R"("\ud83d\ude00")", "\xf0\x9f\x98\x80"},            // a surrogate pair is one character
      {R"("\ud83dx\ude00")", "\xef\xbf\xbdx\xef\xbf\xbd"},  // lone halves are replaced
      {R"("\q \u12 \x")", "\\q \\u12 \\x"},                 // not escapes: kept as they are
      {R"("\\u0041")", "\\u0041"},                          // one left-to-right pass
      {R"("zażółć")", "zażółć"},
  };
  for (const auto& [json, text] : cases) {
    EXPECT_EQ(text, PdfPos::fromJSON(R"({"x":)" + json + R"(,"y":"")" + "}").x().str()) << json;
  }
}

}  // namespace
