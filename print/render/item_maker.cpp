#include "print/render/item_maker.h"

#include <QBrush>
#include <QLineF>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <charconv>
#include <cmath>

#include "runtime/ansi_string.h"

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

QPointF point(PosText pos) {
  return QPointF(documentNumber(pos.x) * QtPdfObj::mmScale,
                 documentNumber(pos.y) * QtPdfObj::mmScale);
}

QRectF rect(PosText pos, SizeText size) {
  return QRectF(point(pos), QSizeF(documentNumber(size.width) * QtPdfObj::mmScale,
                                   documentNumber(size.height) * QtPdfObj::mmScale));
}

QString utf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

}  // namespace

double documentNumber(std::string_view text) {
  if (plainDecimal(text)) {
    double value;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc() && end == text.data() + text.size()) return value;
  }
  const double value = AnsiString(text.data(), static_cast<int>(text.size())).ToDouble();
  // "nan" and "inf" pass strtod but are no place on a page.
  if (!std::isfinite(value)) throw AnsiString("AnsiString::ToDouble()");
  return value;
}

template <typename Key, typename Value>
template <typename Make>
const Value& ItemMaker::Made<Key, Value>::get(const Key& key, Make make) {
  for (const auto& [known, value] : values_) {
    if (known == key) return value;
  }
  if (values_.size() < kCapacity) return values_.emplace_back(key, make()).second;
  return made_.emplace(make());
}

void ItemMaker::addText(PosText pos, std::string_view value, const FontText& font) {
  renderer_.addText(point(pos), utf8(value), this->font(font), color(font.color));
}

void ItemMaker::addRectText(PosText pos, SizeText size, std::string_view value,
                            const FontText& font) {
  renderer_.addRectText(rect(pos, size), utf8(value), this->font(font), color(font.color));
}

void ItemMaker::addLine(PosText from, PosText to, std::string_view width, std::string_view color,
                        bool dash) {
  const QPen& pen = linePens_.get({color, width, dash}, [&] {
    return QPen(QBrush(this->color(color), Qt::SolidPattern),
                documentNumber(width) * QtPdfObj::mmScale, dash ? Qt::DashLine : Qt::SolidLine,
                Qt::FlatCap, Qt::MiterJoin);
  });
  renderer_.addLine(QLineF(point(from), point(to)), pen);
}

void ItemMaker::addRect(PosText pos, SizeText size, std::string_view color) {
  const QPen& pen = rectPens_.get(color, [&] {
    QPen made(this->color(color));
    made.setCapStyle(Qt::SquareCap);
    made.setJoinStyle(Qt::MiterJoin);
    return made;
  });
  renderer_.addRect(rect(pos, size), pen);
}

const QFont& ItemMaker::font(const FontText& font) {
  return fonts_.get({font.family, font.size, font.bold}, [&] {
    QFont result(utf8(font.family), -1, -1, false);
    const double size = documentNumber(font.size);
    result.setPointSizeF(halfFontSize_ ? size * 0.5 : size);
    result.setWeight(font.bold ? QFont::Bold : QFont::Normal);
    return result;
  });
}

// An unknown name leaves the colour invalid, which paints as black.
const QColor& ItemMaker::color(std::string_view name) {
  return colors_.get(name, [&] {
    const QString text = QString::fromLatin1(name.data(), static_cast<int>(name.size()));
#if QT_VERSION >= QT_VERSION_CHECK(6, 4, 0)
    return QColor::fromString(text);
#else
    QColor result;
    result.setNamedColor(text);
    return result;
#endif
  });
}
