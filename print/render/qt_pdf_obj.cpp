#include "print/render/qt_pdf_obj.h"

#include <QBrush>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextOption>
#include <QTransform>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// Painter units to device dots: whole dots per point, and at least one, so
// that a device under 72 dpi still shows the page instead of a point.
int worldScale(int dpi) { return std::max(1, dpi / 72); }

void drawLines(QPainter& painter, const QVector<LineItem>& lines) {
  for (const LineItem& item : lines) {
    painter.setPen(item.pen);
    painter.drawLines(&item.line, 1);
  }
}

void drawRects(QPainter& painter, const QVector<RectItem>& rects) {
  for (const RectItem& item : rects) {
    painter.fillRect(item.rect, QBrush(item.pen.color(), Qt::SolidPattern));
    painter.setPen(item.pen);
    painter.drawRects(&item.rect, 1);
  }
}

// The pens texts are drawn with, each the one QPainter::setPen(QColor) would
// make for its colour, made once for the few colours a document uses rather
// than once per text.
class TextPens {
 public:
  const QPen& operator()(const QColor& color) {
    for (const auto& [known, pen] : pens_) {
      if (known == color) return pen;
    }
    if (pens_.size() == kCapacity) pens_.pop_back();
    pens_.emplace_back(color, QPen(color.isValid() ? color : QColor(Qt::black)));
    return pens_.back().second;
  }

 private:
  static constexpr std::size_t kCapacity = 16;
  std::vector<std::pair<QColor, QPen>> pens_;
};

// Sets each text's font, except where the text before it in the same run
// had an equal one: the painter would only make that font again, and the
// next text would then look its font engine up afresh.
class FontSwitch {
 public:
  explicit FontSwitch(QPainter& painter) : painter_(painter) {}

  void to(const QFont& font) {
    if (current_ != nullptr && *current_ == font) return;
    painter_.setFont(font);
    current_ = &font;
  }

 private:
  QPainter& painter_;
  const QFont* current_ = nullptr;
};

// Texts are drawn without the world scale, at places mapped through it: the
// font then resolves its point size against the device's resolution alone
// and comes out at that size on paper, laid out and wrapped at full device
// resolution.
void drawTexts(QPainter& painter, const QTransform& world, const QVector<TextItem>& texts,
               TextPens& pens) {
  painter.save();
  painter.resetTransform();
  FontSwitch fonts(painter);
  for (const TextItem& item : texts) {
    painter.setPen(pens(item.color));
    fonts.to(item.font);
    painter.drawText(world.map(item.pos), item.text);
  }
  painter.restore();
}

void drawRectTexts(QPainter& painter, const QTransform& world,
                   const QVector<RectTextItem>& rectTexts, TextPens& pens) {
  painter.save();
  painter.resetTransform();
  FontSwitch fonts(painter);
  for (const RectTextItem& item : rectTexts) {
    painter.setPen(pens(item.color));
    fonts.to(item.font);
    painter.drawText(world.mapRect(item.rect), item.text, QTextOption());
  }
  painter.restore();
}

}  // namespace

void QtPdfObj::clear() {
  pages_.clear();
  currentPage_ = -1;
}

void QtPdfObj::startPage() {
  pages_.append(RenderPage());
  currentPage_ = pages_.size() - 1;
}

RenderPage* QtPdfObj::current() {
  if (currentPage_ < 0 || currentPage_ >= pages_.size()) return nullptr;
  return &pages_[currentPage_];
}

void QtPdfObj::addLine(const QLineF& line, const QPen& pen) {
  if (RenderPage* page = current()) page->lines.append({line, pen});
}

void QtPdfObj::addText(const QPointF& pos, const QString& text, const QFont& font,
                       const QColor& color) {
  if (RenderPage* page = current()) page->texts.append({pos, text, font, color});
}

void QtPdfObj::addRect(const QRectF& rect, const QPen& pen) {
  if (RenderPage* page = current()) page->rects.append({rect, pen});
}

void QtPdfObj::addRectText(const QRectF& rect, const QString& text, const QFont& font,
                           const QColor& color) {
  if (RenderPage* page = current()) page->rectTexts.append({rect, text, font, color});
}

void QtPdfObj::appendPages(const QtPdfObj& other) {
  if (other.pages_.isEmpty()) return;
  pages_ += other.pages_;
  currentPage_ = pages_.size() - 1;
}

bool QtPdfObj::paint(QPaintDevice* device) const {
  QPainter painter;
  if (!painter.begin(device)) return false;
  const QTransform world =
      QTransform::fromScale(worldScale(device->physicalDpiX()), worldScale(device->physicalDpiY()));
  painter.setWorldTransform(world, false);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.save();
  auto* paged = dynamic_cast<QPagedPaintDevice*>(device);
  TextPens textPens;
  for (int i = 0; i < pages_.size(); ++i) {
    if (i > 0 && paged != nullptr) paged->newPage();
    const RenderPage& page = pages_[i];
    drawLines(painter, page.lines);
    drawTexts(painter, world, page.texts, textPens);
    drawRects(painter, page.rects);
    drawRectTexts(painter, world, page.rectTexts, textPens);
  }
  painter.restore();
  return painter.end();
}
