// From a print document to the renderer's items.
//
// A document as pages send it (compact JSON) is read in one pass straight
// into items, with no PdfObj in between: its texts are viewed in place and
// each element becomes its item as soon as it is read. Any other text, and
// any document that fails, is read into a PdfObj first, which gives the
// reader's own failure; both ways give the same items for the same bytes.
#include <QSizeF>

#include <climits>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "print/json_form.h"
#include "print/pdf_types.h"
#include "print/render/item_maker.h"
#include "print/render/qt_pdf_obj.h"
#include "runtime/exception.h"

namespace {

using json_form::CompactReader;

// The case tags the one-pass reading switches on, as the description numbers them.
constexpr int kText = 0, kRectText = 1, kLine = 2;
constexpr int kBold = 1, kDash = 1;
static_assert(std::string_view(PdfElem::kCaseNames[kText]) == "text" &&
              std::string_view(PdfElem::kCaseNames[kRectText]) == "rectText" &&
              std::string_view(PdfElem::kCaseNames[kLine]) == "line" &&
              std::string_view(PdfElem::kCaseNames[3]) == "rect" && PdfElem::kCaseCount == 4);
static_assert(std::string_view(PdfFontWeight::kCaseNames[kBold]) == "bold");
static_assert(std::string_view(PdfLineStyle::kCaseNames[kDash]) == "dash");

// Paper Qt can lay out. QPageSize keeps each side in whole points, and the
// printer (QPrinter::HighResolution: 1200 dots per inch) counts whole device
// pixels in an int; a side that rounds to no point, or whose pixels overflow,
// would silently become the default paper instead.
bool representableSide(double mm) {
  constexpr double kPointsPerMm = 72 / 25.4;
  constexpr double kPixelsPerMm = 1200 / 25.4;
  return mm * kPointsPerMm >= 0.5 && mm * kPixelsPerMm <= INT_MAX;
}

// The one-pass reading takes each value where the generated compact reader
// takes it (fields in the description's order), with the same CompactReader
// steps, so it accepts exactly the text that reader accepts.
class CompactDocument {
 public:
  CompactDocument(std::string_view json, ItemMaker& maker) : in_(json), maker_(maker) {}

  // Throws NotCompact where the generated reader would leave the text to
  // the positional one.
  QSizeF read(QtPdfObj& loaded) {
    in_.openRecord();
    const SizeText paper = size();
    in_.nextField();
    for (bool page = in_.openArray(); page; page = in_.nextElement()) {
      loaded.startPage();
      in_.openRecord();
      for (bool elem = in_.openArray(); elem; elem = in_.nextElement()) this->elem();
      in_.closeRecord();
    }
    in_.closeRecord();
    if (!in_.atEnd()) throw json_form::NotCompact();
    return QSizeF(documentNumber(paper.width), documentNumber(paper.height));
  }

 private:
  void elem() {
    switch (in_.openPayloadCase(PdfElem::kCaseNames, PdfElem::kCaseCount)) {
      case kText: {
        in_.openRecord();
        const PosText at = pos();
        in_.nextField();
        const std::string_view value = in_.readText(decoded_);
        in_.nextField();
        const FontText shape = font();
        in_.closeRecord();
        maker_.addText(at, value, shape);
        break;
      }
      case kRectText: {
        in_.openRecord();
        const PosText at = pos();
        in_.nextField();
        const SizeText box = size();
        in_.nextField();
        const std::string_view value = in_.readText(decoded_);
        in_.nextField();
        const FontText shape = font();
        in_.closeRecord();
        maker_.addRectText(at, box, value, shape);
        break;
      }
      case kLine: {
        in_.openRecord();
        const PosText from = pos();
        in_.nextField();
        const PosText to = pos();
        in_.nextField();
        const std::string_view width = keptText();
        in_.nextField();
        const std::string_view color = keptText();
        in_.nextField();
        const bool dash =
            in_.readBareCase(PdfLineStyle::kCaseNames, PdfLineStyle::kCaseCount) == kDash;
        in_.closeRecord();
        maker_.addLine(from, to, width, color, dash);
        break;
      }
      default: {
        in_.openRecord();
        const PosText at = pos();
        in_.nextField();
        const SizeText box = size();
        in_.nextField();
        const std::string_view color = keptText();
        in_.closeRecord();
        maker_.addRect(at, box, color);
      }
    }
    in_.closePayloadCase();
  }

  PosText pos() {
    const auto [x, y] = twoTexts();
    return {x, y};
  }

  SizeText size() {
    const auto [width, height] = twoTexts();
    return {width, height};
  }

  // A record of two text fields, as a position and a size are.
  std::pair<std::string_view, std::string_view> twoTexts() {
    in_.openRecord();
    const std::string_view first = keptText();
    in_.nextField();
    const std::string_view second = keptText();
    in_.closeRecord();
    return {first, second};
  }

  FontText font() {
    in_.openRecord();
    const std::string_view family = keptText();
    in_.nextField();
    const std::string_view size = keptText();
    in_.nextField();
    const bool bold =
        in_.readBareCase(PdfFontWeight::kCaseNames, PdfFontWeight::kCaseCount) == kBold;
    in_.nextField();
    const std::string_view color = keptText();
    in_.closeRecord();
    return {family, size, bold, color};
  }

  // A number, or a name the maker keeps a view of: the view must be of the
  // document itself, so one written with an escape (which no page does) is
  // left to the reading through a PdfObj.
  std::string_view keptText() {
    std::string decoded;
    const std::string_view text = in_.readText(decoded);
    if (!decoded.empty()) throw json_form::NotCompact();
    return text;
  }

  CompactReader in_;
  ItemMaker& maker_;
  std::string decoded_;  // the last text value written with an escape
};

PosText posText(const PdfPos& pos) { return {pos.x().str(), pos.y().str()}; }

SizeText sizeText(const PdfSize& size) { return {size.width().str(), size.height().str()}; }

FontText fontText(const PdfFont& font) {
  return {font.fontFamily().str(), font.fontSize().str(), font.fontWeight().isBold(),
          font.color().str()};
}

void addElem(ItemMaker& maker, const PdfElem& elem) {
  if (elem.isText()) {
    const PdfText& text = elem.asText();
    maker.addText(posText(text.pos()), text.value().str(), fontText(text.font()));
  } else if (elem.isRectText()) {
    const PdfRectText& text = elem.asRectText();
    maker.addRectText(posText(text.pos()), sizeText(text.size()), text.value().str(),
                      fontText(text.font()));
  } else if (elem.isLine()) {
    const PdfLine& line = elem.asLine();
    maker.addLine(posText(line.pos1()), posText(line.pos2()), line.width().str(),
                  line.color().str(), line.style().isDash());
  } else if (elem.isRect()) {
    const PdfRect& rect = elem.asRect();
    maker.addRect(posText(rect.pos()), sizeText(rect.size()), rect.color().str());
  }
}

// The document read in one pass, or nothing where that reading gives up:
// at text the generated compact reader leaves to the positional one, and at
// a number that is not one, since the document may fail to read further on,
// which is then the failure to report.
std::optional<QSizeF> readCompact(std::string_view json, QtPdfObj& loaded, bool halfFontSize) {
  ItemMaker maker(loaded, halfFontSize);
  try {
    return CompactDocument(json, maker).read(loaded);
  } catch (const json_form::NotCompact&) {
  } catch (const AnsiString&) {
  }
  return std::nullopt;
}

// Reads the whole document before making the first item, so that a document
// that cannot be read fails as the reader fails, whatever numbers it holds.
QSizeF readThroughModel(std::string_view json, QtPdfObj& loaded, bool halfFontSize) {
  const PdfObj document = PdfObj::readJSON(json);
  ItemMaker maker(loaded, halfFontSize);
  const PdfPages& pages = document.pages();
  for (int p = 0; p < pages.Count(); ++p) {
    loaded.startPage();
    const PdfElems& elems = pages[p].elems();
    for (int e = 0; e < elems.Count(); ++e) addElem(maker, elems[e]);
  }
  const SizeText paper = sizeText(document.size());
  return QSizeF(documentNumber(paper.width), documentNumber(paper.height));
}

}  // namespace

QSizeF loadDocument(QtPdfObj& renderer, std::string_view json, bool halfFontSize) {
  // Built aside and appended whole, so that a failure leaves nothing half-loaded.
  QtPdfObj loaded;
  std::optional<QSizeF> paper = readCompact(json, loaded, halfFontSize);
  if (!paper) {
    loaded.clear();
    paper = readThroughModel(json, loaded, halfFontSize);
  }
  if (!(representableSide(paper->width()) && representableSide(paper->height()))) {
    throw Exception("QtPdfObj::loadDocument");
  }
  renderer.appendPages(loaded);
  return *paper;
}
