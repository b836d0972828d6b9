// From a print document to the renderer's items.
#include <QBrush>

#include <charconv>
#include <climits>
#include <cmath>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "print/pdf_types.h"
#include "print/render/qt_pdf_obj.h"
#include "runtime/exception.h"

namespace {

// Plain decimals, as pages write nearly every number: an optional "-", digits,
// and a "." followed by digits. Both readers round correctly, so such a text
// reads the same through either.
bool plainDecimal(std::string_view text) {
  std::size_t k = !text.empty() && text[0] == '-' ? 1 : 0;
  const std::size_t integerStart = k;
  while (k < text.size() && text[k] >= '0' && text[k] <= '9') ++k;
  if (k == integerStart) return false;
  if (k == text.size()) return true;
  if (text[k] != '.' || ++k == text.size()) return false;
  while (k < text.size() && text[k] >= '0' && text[k] <= '9') ++k;
  return k == text.size();
}

double number(const AnsiString& text) {
  const std::string& bytes = text.str();
  if (plainDecimal(bytes)) {
    double value;
    const auto [end, error] = std::from_chars(bytes.data(), bytes.data() + bytes.size(), value);
    if (error == std::errc() && end == bytes.data() + bytes.size()) return value;
  }
  const double value = text.ToDouble();
  // "nan" and "inf" pass strtod but are no place on a page.
  if (!std::isfinite(value)) throw AnsiString("AnsiString::ToDouble()");
  return value;
}

// Paper Qt can lay out. QPageSize keeps each side in whole points, and the
// printer (QPrinter::HighResolution: 1200 dots per inch) counts whole device
// pixels in an int; a side that rounds to no point, or whose pixels overflow,
// would silently become the default paper instead.
bool representableSide(double mm) {
  constexpr double kPointsPerMm = 72 / 25.4;
  constexpr double kPixelsPerMm = 1200 / 25.4;
  return mm * kPointsPerMm >= 0.5 && mm * kPixelsPerMm <= INT_MAX;
}

QString utf8(const AnsiString& text) { return QString::fromUtf8(text.CStr(), text.Length()); }

// An unknown name leaves the colour invalid, which paints as black.
QColor namedColor(std::string_view name) {
  QColor result;
  result.setNamedColor(QString::fromLatin1(name.data(), static_cast<int>(name.size())));
  return result;
}

// The values made from a document's texts, so that each of the few fonts and
// colours a document uses is made once and shared by its items. Keys view
// the document's texts, which outlive the loading. Up to kCapacity values are
// kept; any past that are made each time.
template <typename Key, typename Value>
class MadeValues {
 public:
  template <typename Make>
  const Value& get(const Key& key, Make make) {
    for (const auto& [known, value] : values_) {
      if (known == key) return value;
    }
    if (values_.size() < kCapacity) return values_.emplace_back(key, make()).second;
    return made_.emplace(make());
  }

 private:
  static constexpr std::size_t kCapacity = 32;
  std::vector<std::pair<Key, Value>> values_;
  std::optional<Value> made_;  // the last one made past kCapacity
};

struct FontKey {
  std::string_view family;
  std::string_view size;
  bool bold;

  bool operator==(const FontKey& other) const {
    return bold == other.bold && size == other.size && family == other.family;
  }
};

QPointF point(const PdfPos& pos) {
  return QPointF(number(pos.x()) * QtPdfObj::mmScale, number(pos.y()) * QtPdfObj::mmScale);
}

QRectF rect(const PdfPos& pos, const PdfSize& size) {
  return QRectF(point(pos), QSizeF(number(size.width()) * QtPdfObj::mmScale,
                                   number(size.height()) * QtPdfObj::mmScale));
}

// Turns elements into items on the renderer's current page.
class ItemMaker {
 public:
  ItemMaker(QtPdfObj& renderer, bool halfFontSize)
      : renderer_(renderer), halfFontSize_(halfFontSize) {}

  void add(const PdfElem& elem) {
    if (elem.isLine()) {
      addLine(elem.asLine());
    } else if (elem.isText()) {
      const PdfText& text = elem.asText();
      renderer_.addText(point(text.pos()), utf8(text.value()), font(text.font()),
                        color(text.font().color()));
    } else if (elem.isRect()) {
      addRect(elem.asRect());
    } else if (elem.isRectText()) {
      const PdfRectText& text = elem.asRectText();
      renderer_.addRectText(rect(text.pos(), text.size()), utf8(text.value()), font(text.font()),
                            color(text.font().color()));
    }
  }

 private:
  void addLine(const PdfLine& line) {
    const QPen pen(
        QBrush(color(line.color()), Qt::SolidPattern), number(line.width()) * QtPdfObj::mmScale,
        line.style().isDash() ? Qt::DashLine : Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    renderer_.addLine(QLineF(point(line.pos1()), point(line.pos2())), pen);
  }

  void addRect(const PdfRect& source) {
    QPen pen(color(source.color()));
    pen.setCapStyle(Qt::SquareCap);
    pen.setJoinStyle(Qt::MiterJoin);
    renderer_.addRect(rect(source.pos(), source.size()), pen);
  }

  const QFont& font(const PdfFont& font) {
    const FontKey key{font.fontFamily().str(), font.fontSize().str(), font.fontWeight().isBold()};
    return fonts_.get(key, [&] {
      QFont result(utf8(font.fontFamily()), -1, -1, false);
      const double size = number(font.fontSize());
      result.setPointSizeF(halfFontSize_ ? size * 0.5 : size);
      result.setWeight(key.bold ? QFont::Bold : QFont::Normal);
      return result;
    });
  }

  const QColor& color(const AnsiString& name) {
    const std::string_view key = name.str();
    return colors_.get(key, [&] { return namedColor(key); });
  }

  QtPdfObj& renderer_;
  const bool halfFontSize_;
  MadeValues<FontKey, QFont> fonts_;
  MadeValues<std::string_view, QColor> colors_;
};

}  // namespace

QSizeF loadDocument(QtPdfObj& renderer, const QByteArray& json, bool halfFontSize) {
  const PdfObj document = PdfObj::readJSON(std::string_view(json.constData(), json.size()));
  // Built aside and appended whole, so that a failure leaves nothing half-loaded.
  QtPdfObj loaded;
  ItemMaker maker(loaded, halfFontSize);
  const PdfPages& pages = document.pages();
  for (int p = 0; p < pages.Count(); ++p) {
    loaded.startPage();
    const PdfElems& elems = pages[p].elems();
    for (int e = 0; e < elems.Count(); ++e) maker.add(elems[e]);
  }
  const QSizeF paper(number(document.size().width()), number(document.size().height()));
  if (!(representableSide(paper.width()) && representableSide(paper.height()))) {
    throw Exception("QtPdfObj::loadDocument");
  }
  renderer.appendPages(loaded);
  return paper;
}
