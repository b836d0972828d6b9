// Loading documents into the renderer: the items each element becomes, and
// failures that leave the renderer as it was.
#include <QPageSize>
#include <QPrinter>

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "print/render/qt_pdf_obj.h"
#include "runtime/exception.h"
#include "tests/unit/print/sample_documents.h"

namespace {

constexpr double f = QtPdfObj::mmScale;

std::string documentOf(const PdfElems& elems, const char* width = "210",
                       const char* height = "297") {
  PdfPages pages;
  pages.Add(PdfPage(elems));
  return PdfObj(PdfSize(width, height), pages).toJSON().str();
}

std::string documentOf(const PdfElem& elem) {
  PdfElems elems;
  elems.Add(elem);
  return documentOf(elems);
}

// The text that a failed load threw, whatever its type.
std::string failureOf(QtPdfObj& renderer, const std::string& json) {
  try {
    loadDocument(renderer, json, false);
  } catch (const Exception& e) {
    return e.Message().str();
  } catch (const AnsiString& text) {
    return text.str();
  }
  return "<nothing thrown>";
}

TEST(LoadDocument, ReturnsThePaperSizeUnscaled) {
  QtPdfObj renderer;
  EXPECT_EQ(QSizeF(148, 210.5),
            loadDocument(renderer, documentOf(PdfElems(), "148", "210.5"), false));
  ASSERT_EQ(1, renderer.pages().size());
  EXPECT_EQ(0, renderer.currentPage());
}

// The smallest and largest paper accepted are laid out by a PDF printer as
// they are (Qt keeps whole points), not replaced by its default paper.
TEST(LoadDocument, AcceptedPaperIsThePrintersPaper) {
  for (const auto& [width, height] : {std::pair{"0.18", "0.18"}, std::pair{"45000000", "0.18"}}) {
    QtPdfObj renderer;
    const QSizeF paper = loadDocument(renderer, documentOf(PdfElems(), width, height), false);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    ASSERT_TRUE(printer.setPageSize(
        QPageSize(paper, QPageSize::Millimeter, QString(), QPageSize::ExactMatch)));
    const QRect pixels = printer.pageLayout().fullRectPixels(printer.resolution());
    const double pixelsPerMm = printer.resolution() / 25.4;
    const double aPoint = printer.resolution() / 72.0;
    EXPECT_NEAR(paper.width() * pixelsPerMm, pixels.width(), aPoint) << width;
    EXPECT_NEAR(paper.height() * pixelsPerMm, pixels.height(), aPoint) << height;
  }
}

TEST(LoadDocument, LinesKeepWidthStyleAndColourInPainterUnits) {
  QtPdfObj renderer;
  loadDocument(renderer,
               documentOf(PdfElem::line(PdfLine(PdfPos("10", "20"), PdfPos("30", "40"), "0.5",
                                                "#ff0000", PdfLineStyle::dash()))),
               false);
  const LineItem& item = renderer.pages()[0].lines.at(0);
  EXPECT_EQ(QLineF(10 * f, 20 * f, 30 * f, 40 * f), item.line);
  EXPECT_DOUBLE_EQ(0.5 * f, item.pen.widthF());
  EXPECT_EQ(Qt::DashLine, item.pen.style());
  EXPECT_EQ(Qt::FlatCap, item.pen.capStyle());
  EXPECT_EQ(Qt::MiterJoin, item.pen.joinStyle());
  EXPECT_EQ(QColor(255, 0, 0), item.pen.color());
}

TEST(LoadDocument, RectsAreOutlinedInTheirFillColour) {
  QtPdfObj renderer;
  loadDocument(renderer, documentOf(samples::rect("1", "2", "3", "4", "navy")), false);
  const RectItem& item = renderer.pages()[0].rects.at(0);
  EXPECT_EQ(QRectF(1 * f, 2 * f, 3 * f, 4 * f), item.rect);
  EXPECT_EQ(QColor("navy"), item.pen.color());
  EXPECT_EQ(Qt::SquareCap, item.pen.capStyle());
}

TEST(LoadDocument, TextsTakeTheirFontsColourAndWeight) {
  QtPdfObj renderer;
  PdfElems elems;
  elems.Add(samples::text("5", "6", "zażółć", samples::font("12", true, "green")));
  elems.Add(PdfElem::rectText(PdfRectText(PdfPos("1", "1"), PdfSize("50", "20"), "box",
                                          samples::font("8", false, "no-such-colour"))));
  loadDocument(renderer, documentOf(elems), false);
  const TextItem& text = renderer.pages()[0].texts.at(0);
  EXPECT_EQ(QPointF(5 * f, 6 * f), text.pos);
  EXPECT_EQ(QString::fromUtf8("zażółć"), text.text);
  EXPECT_EQ(QColor("green"), text.color);
  EXPECT_EQ(QFont::Bold, text.font.weight());
  const RectTextItem& box = renderer.pages()[0].rectTexts.at(0);
  EXPECT_EQ(QRectF(1 * f, 1 * f, 50 * f, 20 * f), box.rect);
  EXPECT_EQ(QFont::Normal, box.font.weight());
  EXPECT_FALSE(box.color.isValid());
}

TEST(LoadDocument, HalvesFontSizesOnlyWhenAsked) {
  const std::string json = documentOf(samples::text("0", "0", "x", samples::font("12")));
  QtPdfObj full, half;
  loadDocument(full, json, false);
  loadDocument(half, json, true);
  EXPECT_DOUBLE_EQ(12, full.pages()[0].texts.at(0).font.pointSizeF());
  EXPECT_DOUBLE_EQ(6, half.pages()[0].texts.at(0).font.pointSizeF());
}

// A document's fonts and colours are made once each and shared; past the
// number kept, every text still gets its own.
TEST(LoadDocument, EveryTextKeepsItsFontAndColourAmongMany) {
  const char* colours[] = {"red", "#00f", "green"};
  PdfElems elems;
  for (int i = 0; i < 80; ++i) {
    const std::string size = std::to_string(i % 40 + 1);
    elems.Add(samples::text("1", "1", "x", samples::font(size.c_str(), i % 2, colours[i % 3])));
  }
  QtPdfObj renderer;
  loadDocument(renderer, documentOf(elems), false);
  for (int i = 0; i < 80; ++i) {
    const TextItem& text = renderer.pages()[0].texts.at(i);
    EXPECT_EQ(i % 40 + 1, text.font.pointSizeF()) << i;
    EXPECT_EQ(i % 2 ? QFont::Bold : QFont::Normal, text.font.weight()) << i;
    EXPECT_EQ(QColor(colours[i % 3]), text.color) << i;
  }
}

// Plain decimals take a quicker way than AnsiString::ToDouble (strtod); every
// form lands where that puts it.
TEST(LoadDocument, NumbersReadAsToDoubleReadsThem) {
  for (const char* x : {"12", "-0", "-0.5", "0.1000000000000000055511151231257827", "007.250",
                        "1e1", "+3", " 9", "0x10", ".5", "5.", "123456789012345678901234567890"}) {
    QtPdfObj renderer;
    loadDocument(renderer, documentOf(samples::text(x, "0", "x")), false);
    const double expected = AnsiString(x).ToDouble() * f;
    EXPECT_EQ(expected, renderer.pages()[0].texts.at(0).pos.x()) << x;
    EXPECT_EQ(std::signbit(expected), std::signbit(renderer.pages()[0].texts.at(0).pos.x())) << x;
  }
}

// Documents whose numbers, font names and colour names need no escape, as
// pages write them, with texts that need every escape.
std::string plainNamedDocument(unsigned seed) {
  std::mt19937 random(seed);
  const char* families[] = {"DejaVu Sans", "DejaVu Serif"};
  const char* colours[] = {"black", "#5a6275", "no-such-colour"};
  auto number = [&] { return samples::randomNumber(random); };
  auto pos = [&] { return PdfPos(number(), number()); };
  auto font = [&] {
    return PdfFont(families[random() % 2], number(),
                   random() % 2 ? PdfFontWeight::bold() : PdfFontWeight::normal(),
                   colours[random() % 3]);
  };
  PdfPages pages;
  for (int p = 0; p < 3; ++p) {
    PdfElems elems;
    for (int e = 0; e < 30; ++e) {
      switch (random() % 4) {
        case 0:
          elems.Add(PdfElem::text(PdfText(pos(), samples::randomText(random), font())));
          break;
        case 1:
          elems.Add(PdfElem::rectText(PdfRectText(pos(), PdfSize(number(), number()),
                                                  samples::randomText(random), font())));
          break;
        case 2:
          elems.Add(
              PdfElem::line(PdfLine(pos(), pos(), number(), colours[random() % 3],
                                    random() % 2 ? PdfLineStyle::dash() : PdfLineStyle::solid())));
          break;
        default:
          elems.Add(PdfElem::rect(PdfRect(pos(), PdfSize(number(), number()), colours[e % 3])));
      }
    }
    pages.Add(PdfPage(elems));
  }
  return PdfObj(PdfSize("210", "297"), pages).toJSON().str();
}

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
    text.replace(at, from.size(), to);
    at += to.size();
  }
}

void expectSameItems(const QtPdfObj& a, const QtPdfObj& b) {
  ASSERT_EQ(a.pages().size(), b.pages().size());
  for (int p = 0; p < a.pages().size(); ++p) {
    const RenderPage& x = a.pages()[p];
    const RenderPage& y = b.pages()[p];
    ASSERT_EQ(x.lines.size(), y.lines.size());
    for (int i = 0; i < x.lines.size(); ++i) {
      EXPECT_EQ(x.lines[i].line, y.lines[i].line);
      EXPECT_EQ(x.lines[i].pen, y.lines[i].pen);
    }
    ASSERT_EQ(x.texts.size(), y.texts.size());
    for (int i = 0; i < x.texts.size(); ++i) {
      EXPECT_EQ(x.texts[i].pos, y.texts[i].pos);
      EXPECT_EQ(x.texts[i].text, y.texts[i].text);
      EXPECT_EQ(x.texts[i].font, y.texts[i].font);
      EXPECT_EQ(x.texts[i].color, y.texts[i].color);
    }
    ASSERT_EQ(x.rects.size(), y.rects.size());
    for (int i = 0; i < x.rects.size(); ++i) {
      EXPECT_EQ(x.rects[i].rect, y.rects[i].rect);
      EXPECT_EQ(x.rects[i].pen, y.rects[i].pen);
    }
    ASSERT_EQ(x.rectTexts.size(), y.rectTexts.size());
    for (int i = 0; i < x.rectTexts.size(); ++i) {
      EXPECT_EQ(x.rectTexts[i].rect, y.rectTexts[i].rect);
      EXPECT_EQ(x.rectTexts[i].text, y.rectTexts[i].text);
      EXPECT_EQ(x.rectTexts[i].font, y.rectTexts[i].font);
      EXPECT_EQ(x.rectTexts[i].color, y.rectTexts[i].color);
    }
  }
}

// Compact documents are read in one pass, in index or name form; an escape
// in the paper width (a text the one pass only views) sends the same values
// through a PdfObj instead. Every way makes the same items.
TEST(LoadDocument, OnePassAndPdfObjReadingsMakeTheSameItems) {
  for (unsigned seed = 1; seed <= 20; ++seed) {
    const std::string json = plainNamedDocument(seed);
    std::string named = json;
    replaceAll(named, "{\"type\":0,\"value\":{", "{\"text\":{");
    replaceAll(named, "{\"type\":2,\"value\":{", "{\"line\":{");
    std::string escaped = json;
    replaceAll(escaped, "\"width\":\"210\"", "\"width\":\"\\u0032\\u0031\\u0030\"");
    ASSERT_NE(json, named);
    ASSERT_NE(json, escaped);

    QtPdfObj onePass, nameForm, throughPdfObj;
    EXPECT_EQ(QSizeF(210, 297), loadDocument(onePass, json, true));
    EXPECT_EQ(QSizeF(210, 297), loadDocument(nameForm, named, true));
    EXPECT_EQ(QSizeF(210, 297), loadDocument(throughPdfObj, escaped, true));
    SCOPED_TRACE(seed);
    expectSameItems(onePass, throughPdfObj);
    expectSameItems(nameForm, throughPdfObj);
  }
}

TEST(LoadDocument, AppendsToWhatIsLoaded) {
  QtPdfObj renderer;
  loadDocument(renderer, documentOf(PdfElems()), false);
  loadDocument(renderer, documentOf(PdfElems()), false);
  EXPECT_EQ(2, renderer.pages().size());
  EXPECT_EQ(1, renderer.currentPage());
}

TEST(LoadDocumentFailures, LeaveTheRendererAsItWas) {
  QtPdfObj renderer;
  loadDocument(renderer, documentOf(samples::rect("1", "1", "1", "1", "red")), false);

  PdfElems badNumberLater;
  badNumberLater.Add(samples::rect("1", "1", "1", "1", "red"));
  badNumberLater.Add(samples::text("1", "1,5", "x"));
  const std::pair<std::string, std::string> cases[] = {
      {"not a document", "PdfObj::fromJSON"},
      {documentOf(badNumberLater), "AnsiString::ToDouble()"},
      {documentOf(samples::rect("nan", "1", "1", "1", "red")), "AnsiString::ToDouble()"},
      {documentOf(samples::text("1", "1", "x", samples::font("big"))), "AnsiString::ToDouble()"},
      {documentOf(PdfElems(), "0", "297"), "QtPdfObj::loadDocument"},
      {documentOf(PdfElems(), "210", "-1"), "QtPdfObj::loadDocument"},
      {documentOf(PdfElems(), "1e308", "297"), "QtPdfObj::loadDocument"},
      {documentOf(PdfElems(), "210", "1e-300"), "QtPdfObj::loadDocument"},
      {documentOf(PdfElems(), "0.17", "297"), "QtPdfObj::loadDocument"},
      {documentOf(PdfElems(), "210", "46000000"), "QtPdfObj::loadDocument"},
      {documentOf(PdfElems(), "-1e308", "297"), "QtPdfObj::loadDocument"},
      {documentOf(PdfElems(), "210", "-nan"), "AnsiString::ToDouble()"},
  };
  for (const auto& [json, message] : cases) {
    EXPECT_EQ(message, failureOf(renderer, json)) << json;
    ASSERT_EQ(1, renderer.pages().size()) << json;
    EXPECT_EQ(1, renderer.pages()[0].rects.size());
    EXPECT_TRUE(renderer.pages()[0].texts.isEmpty());
  }
}

// A number that is not one, ahead of the point where the document stops
// being readable, still fails as the reader fails.
TEST(LoadDocumentFailures, TheReadersFailureComesBeforeABadNumber) {
  PdfElems elems;
  elems.Add(samples::rect("x", "1", "1", "1", "red"));
  elems.Add(samples::rect("1", "1", "1", "1", "red"));
  std::string json = documentOf(elems);
  json.erase(json.rfind("\"color\""));
  std::string expected = "<read>";
  try {
    PdfObj::readJSON(json);
  } catch (const Exception& e) {
    expected = e.Message().str();
  }
  ASSERT_NE("<read>", expected);
  QtPdfObj renderer;
  EXPECT_EQ(expected, failureOf(renderer, json));
  EXPECT_TRUE(renderer.pages().isEmpty());
}

TEST(RendererItems, NeedAPage) {
  QtPdfObj renderer;
  renderer.addText(QPointF(1, 1), "x", QFont(), Qt::black);
  renderer.addRect(QRectF(0, 0, 1, 1), QPen());
  EXPECT_TRUE(renderer.pages().isEmpty());

  renderer.startPage();
  renderer.addLine(QLineF(0, 0, 1, 1), QPen());
  renderer.clear();
  EXPECT_EQ(-1, renderer.currentPage());
  renderer.addLine(QLineF(0, 0, 1, 1), QPen());
  EXPECT_TRUE(renderer.pages().isEmpty());
}

}  // namespace
