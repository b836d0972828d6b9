// From a print document to the renderer's items.
#include <QBrush>

#include <climits>
#include <cmath>

#include "print/pdf_types.h"
#include "print/render/qt_pdf_obj.h"
#include "runtime/exception.h"

namespace {

double number(const AnsiString& text) {
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
QColor color(const AnsiString& name) {
  QColor result;
  result.setNamedColor(QString::fromLatin1(name.CStr(), name.Length()));
  return result;
}

QPointF point(const PdfPos& pos) {
  return QPointF(number(pos.x()) * QtPdfObj::mmScale, number(pos.y()) * QtPdfObj::mmScale);
}

QRectF rect(const PdfPos& pos, const PdfSize& size) {
  return QRectF(point(pos), QSizeF(number(size.width()) * QtPdfObj::mmScale,
                                   number(size.height()) * QtPdfObj::mmScale));
}

QFont font(const PdfFont& font, bool halfFontSize) {
  QFont result(utf8(font.fontFamily()), -1, -1, false);
  const double size = number(font.fontSize());
  result.setPointSizeF(halfFontSize ? size * 0.5 : size);
  result.setWeight(font.fontWeight().isBold() ? QFont::Bold : QFont::Normal);
  return result;
}

void addLine(QtPdfObj& renderer, const PdfLine& line) {
  const QPen pen(QBrush(color(line.color()), Qt::SolidPattern),
                 number(line.width()) * QtPdfObj::mmScale,
                 line.style().isDash() ? Qt::DashLine : Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
  renderer.addLine(QLineF(point(line.pos1()), point(line.pos2())), pen);
}

void addRect(QtPdfObj& renderer, const PdfRect& source) {
  QPen pen(color(source.color()));
  pen.setCapStyle(Qt::SquareCap);
  pen.setJoinStyle(Qt::MiterJoin);
  renderer.addRect(rect(source.pos(), source.size()), pen);
}

void addElem(QtPdfObj& renderer, const PdfElem& elem, bool halfFontSize) {
  if (elem.isLine()) {
    addLine(renderer, elem.asLine());
  } else if (elem.isText()) {
    const PdfText& text = elem.asText();
    renderer.addText(point(text.pos()), utf8(text.value()), font(text.font(), halfFontSize),
                     color(text.font().color()));
  } else if (elem.isRect()) {
    addRect(renderer, elem.asRect());
  } else if (elem.isRectText()) {
    const PdfRectText& text = elem.asRectText();
    renderer.addRectText(rect(text.pos(), text.size()), utf8(text.value()),
                         font(text.font(), halfFontSize), color(text.font().color()));
  }
}

}  // namespace

QSizeF loadDocument(QtPdfObj& renderer, const QByteArray& json, bool halfFontSize) {
  const PdfObj document = PdfObj::fromJSON(AnsiString(json.constData(), json.size()));
  // Built aside and appended whole, so that a failure leaves nothing half-loaded.
  QtPdfObj loaded;
  const PdfPages& pages = document.pages();
  for (int p = 0; p < pages.Count(); ++p) {
    loaded.startPage();
    const PdfElems& elems = pages[p].elems();
    for (int e = 0; e < elems.Count(); ++e) addElem(loaded, elems[e], halfFontSize);
  }
  const QSizeF paper(number(document.size().width()), number(document.size().height()));
  if (!(representableSide(paper.width()) && representableSide(paper.height()))) {
    throw Exception("QtPdfObj::loadDocument");
  }
  renderer.appendPages(loaded);
  return paper;
}
