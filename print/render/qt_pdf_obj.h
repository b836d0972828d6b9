// QtPdfObj: a print document turned into drawing items, one set of item
// lists per page, ready to paint onto a printer, a PDF file or a preview.
//
//   QtPdfObj renderer;
//   const QSizeF paperMm = loadDocument(renderer, json, /*halfFontSize=*/true);
//   printer.setPageSizeMM(paperMm);
//   renderer.paint(&printer);   // as often as needed: painting only reads
//
// Geometry: a document millimetre is mmScale painter units, and painting
// scales the world by the device's dpi integer-divided by 72, so that one
// document millimetre lands as 0.998 mm at 300, 600 and 1200 dpi. Texts are
// laid out at the device's own resolution instead, so that a font of n
// points is n points on paper whatever the scale.
//
// GUI thread only (fonts and painters). Items are values; the renderer owns
// them until clear().
#pragma once

#include <QColor>
#include <QFont>
#include <QLineF>
#include <QPen>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QVector>

#include <string_view>

class QPaintDevice;

struct LineItem {
  QLineF line;
  QPen pen;
};

struct TextItem {
  QPointF pos;  // left end of the base line
  QString text;
  QFont font;
  QColor color;
};

struct RectItem {
  QRectF rect;  // filled and outlined with the pen's colour
  QPen pen;
};

struct RectTextItem {
  QRectF rect;  // the text starts at its top-left corner and wraps at its width
  QString text;
  QFont font;
  QColor color;
};

// Every member is one Qt moves in memory, so growing a page's lists moves
// the items instead of copying each and dropping the old.
Q_DECLARE_TYPEINFO(LineItem, Q_MOVABLE_TYPE);
Q_DECLARE_TYPEINFO(TextItem, Q_MOVABLE_TYPE);
Q_DECLARE_TYPEINFO(RectItem, Q_MOVABLE_TYPE);
Q_DECLARE_TYPEINFO(RectTextItem, Q_MOVABLE_TYPE);

// The items of one page, each kind in document order. Painting draws the
// kinds in this order, so a rectangle covers the lines and texts of its page.
struct RenderPage {
  QVector<LineItem> lines;
  QVector<TextItem> texts;
  QVector<RectItem> rects;
  QVector<RectTextItem> rectTexts;
};

Q_DECLARE_TYPEINFO(RenderPage, Q_MOVABLE_TYPE);

class QtPdfObj {
 public:
  // Painter units per document millimetre.
  static constexpr double mmScale = 2.946;

  // Drops every page; there is no current page afterwards.
  void clear();
  // Appends an empty page, which receives the items added from now on.
  void startPage();

  // Each adds a copy of the item to the current page; without one (after
  // clear(), before startPage()) it does nothing.
  void addLine(const QLineF& line, const QPen& pen);
  void addText(const QPointF& pos, const QString& text, const QFont& font, const QColor& color);
  void addRect(const QRectF& rect, const QPen& pen);
  void addRectText(const QRectF& rect, const QString& text, const QFont& font, const QColor& color);

  // Appends the pages of `other`; its last page becomes the current one.
  void appendPages(const QtPdfObj& other);

  // Draws every page onto `device`, calling newPage() between pages when it
  // is a paged device (on any other device the pages fall on one another).
  // Returns false when no painter could be opened on the device or the
  // device reported a failure at the end (a PDF file that cannot be
  // written); what was drawn before the failure is the device's business.
  bool paint(QPaintDevice* device) const;

  const QVector<RenderPage>& pages() const { return pages_; }
  // Index of the page that receives new items, -1 when there is none.
  int currentPage() const { return currentPage_; }

 private:
  RenderPage* current();

  QVector<RenderPage> pages_;
  int currentPage_ = -1;
};

// Reads the document `json` (UTF-8, needed only during the call) and appends
// its pages to `renderer`; returns the paper size (width, height) in
// millimetres, unscaled. With `halfFontSize` every font gets half its point
// size (PDF files are written against that). Nothing is cleared first.
//
// Throws the reader's Exception for a document that cannot be read,
// AnsiString("AnsiString::ToDouble()") for a number field that is not a
// finite decimal number, and Exception("QtPdfObj::loadDocument") for a paper
// size that Qt cannot lay out: a side under about 0.18 mm (half a point) or
// over about 45 km (an int of device pixels at 1200 dots per inch). On any
// failure `renderer` is left as it was.
QSizeF loadDocument(QtPdfObj& renderer, std::string_view json, bool halfFontSize);
