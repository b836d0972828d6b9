#include "bridge/utf8_text.h"

namespace bridge {
namespace {

// int on Qt 5, qsizetype on Qt 6.
using Size = decltype(QString().size());

bool isHigh(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLow(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The position of the first lone surrogate at or after `from`, or `size`.
Size loneSurrogate(const char16_t* units, Size size, Size from) {
  for (Size i = from; i < size; ++i) {
    if ((units[i] & 0xF800) != 0xD800) continue;
    if (isHigh(units[i]) && i + 1 < size && isLow(units[i + 1])) {
      ++i;
      continue;
    }
    return i;
  }
  return size;
}

}  // namespace

QByteArray utf8Bytes(const QString& text) {
  // Qt writes a lone surrogate as '?' or as the bytes of its code point,
  // depending on its version; the text it is given here holds none.
  const auto* units = reinterpret_cast<const char16_t*>(text.utf16());
  const Size size = text.size();
  Size lone = loneSurrogate(units, size, 0);
  if (lone == size) return text.toUtf8();
  QString wellFormed = text;
  while (lone != size) {
    wellFormed[lone] = QChar(QChar::ReplacementCharacter);
    lone = loneSurrogate(units, size, lone + 1);
  }
  return wellFormed.toUtf8();
}

}  // namespace bridge
