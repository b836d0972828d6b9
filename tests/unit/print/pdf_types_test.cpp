// The generated print types: one type of each shape, the writer's exact
// output, and round trips of random documents.
#include <gtest/gtest.h>

#include <string>

#include "print/pdf_types.h"
#include "tests/unit/print/sample_documents.h"
#include "tests/unit/runtime/test_support.h"

namespace {

const char kExample[] =
    R"({"size":{"width":"210","height":"297"},"pages":[{"elems":[{"type":0,"value":{"pos":{"x":"20","y":"30"},"value":"Ala","font":{"fontFamily":"Arial","fontSize":"10","fontWeight":{"type":1,"value":0},"color":"black"}}}]}]})";

TEST(PdfRecord, CopiesAreIndependent) {
  PdfText original(PdfPos("1", "2"), "first", samples::font());
  PdfText copy = original;
  copy.pos().x() = "9";
  copy.font().fontWeight().setBold();
  EXPECT_EQ("1", original.pos().x().str());
  EXPECT_TRUE(original.font().fontWeight().isNormal());
  EXPECT_NE(original, copy);
}

TEST(PdfVariant, StartsEmptyAndAccessorsRefuseOtherCases) {
  PdfElem elem;
  EXPECT_EQ(-1, elem.kind());
  EXPECT_FALSE(elem.isText() || elem.isRectText() || elem.isLine() || elem.isRect());
  EXPECT_EQ("PdfElem::asText", ExceptionMessage([&] { elem.asText(); }));

  elem = samples::rect("1", "2", "3", "4", "red");
  EXPECT_EQ(3, elem.kind());
  EXPECT_EQ("red", elem.asRect().color().str());
  EXPECT_EQ("PdfElem::asRectText", ExceptionMessage([&] { elem.asRectText(); }));
  EXPECT_EQ("PdfElem::asLine", ExceptionMessage([&] { elem.asLine(); }));

  PdfElem copy = elem;
  copy.asRect().color() = "blue";
  EXPECT_EQ("red", elem.asRect().color().str());

  elem.clean();
  EXPECT_EQ(-1, elem.kind());
  EXPECT_EQ("PdfElem::asRect", ExceptionMessage([&] { elem.asRect(); }));
}

TEST(PdfArray, CopiesDeeplyAndComparesElementWise) {
  PdfElems elems;
  elems.Add(samples::text("1", "2", "a"));
  PdfElems copy = elems;
  copy[0].asText().value() = "b";
  EXPECT_EQ("a", elems[0].asText().value().str());
  EXPECT_NE(elems, copy);
  copy[0].asText().value() = "a";
  EXPECT_EQ(elems, copy);
}

TEST(PdfWriter, WritesCompactJsonInFieldOrder) {
  PdfElems elems;
  elems.Add(
      samples::text("20", "30", "Ala", PdfFont("Arial", "10", PdfFontWeight::bold(), "black")));
  PdfPages pages;
  pages.Add(PdfPage(elems));
  EXPECT_EQ(kExample, PdfObj(PdfSize("210", "297"), pages).toJSON().str());
  EXPECT_EQ(R"({"type":1,"value":0})", PdfLineStyle::dash().toJSON().str());
  EXPECT_EQ("[]", PdfPages().toJSON().str());
}

TEST(PdfWriter, EscapesOnlyWhatTheReaderNeeds) {
  EXPECT_EQ(R"({"x":"a\nb\rc\\d\"e	f/","y":""})",
            PdfPos("a\nb\rc\\d\"e\tf/", "").toJSON().str());
}

TEST(PdfWriter, RefusesVariantsWithoutACase) {
  EXPECT_EQ("PdfElem::toJSON(-1)", ExceptionMessage([] { PdfElem().toJSON(); }));
  EXPECT_EQ("PdfFontWeight::toJSON(-1)", ExceptionMessage([] { PdfFontWeight().toJSON(); }));
  EXPECT_EQ("PdfLineStyle::toJSON(-1)", ExceptionMessage([] {
              PdfLine(PdfPos(), PdfPos(), "1", "red", PdfLineStyle()).toJSON();
            }));
}

TEST(PdfRoundTrip, ExampleReadsAndWritesBackByteForByte) {
  EXPECT_EQ(kExample, PdfObj::fromJSON(kExample).toJSON().str());
}

TEST(PdfRoundTrip, RandomDocumentsReadBackEqual) {
  for (unsigned seed = 1; seed <= 200; ++seed) {
    const PdfObj document = samples::randomDocument(seed, 1 + seed % 3, static_cast<int>(seed % 7));
    const AnsiString json = document.toJSON();
    const PdfObj read = PdfObj::fromJSON(json);
    ASSERT_EQ(document, read) << "seed " << seed << ": " << json.str();
    ASSERT_EQ(json, read.toJSON()) << "seed " << seed;
  }
}

}  // namespace
