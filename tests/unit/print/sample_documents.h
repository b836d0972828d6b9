// Print documents for tests and benchmarks: built through the generated
// types, so their JSON is exactly what toJSON writes.
#pragma once

#include <random>
#include <string>

#include "print/pdf_types.h"

namespace samples {

inline PdfFont font(const char* size = "10", bool bold = false, const char* color = "black") {
  return PdfFont("DejaVu Sans", size, bold ? PdfFontWeight::bold() : PdfFontWeight::normal(),
                 color);
}

inline PdfElem text(const char* x, const char* y, const char* value, PdfFont f = font()) {
  return PdfElem::text(PdfText(PdfPos(x, y), value, std::move(f)));
}

inline PdfElem rect(const char* x, const char* y, const char* w, const char* h, const char* color) {
  return PdfElem::rect(PdfRect(PdfPos(x, y), PdfSize(w, h), color));
}

// A text drawn from these bytes exercises every escape of the JSON form.
inline std::string randomText(std::mt19937& random) {
  static const char kAlphabet[] = "ab Z09\"\\\n\r\t/{}[]:,\xc5\xbc\xc3\xb3\x01";
  std::string text;
  const int length = static_cast<int>(random() % 12);
  for (int i = 0; i < length; ++i) text += kAlphabet[random() % (sizeof kAlphabet - 1)];
  return text;
}

inline AnsiString randomNumber(std::mt19937& random) {
  return AnsiString(static_cast<double>(random() % 100000) / 100.0);
}

inline PdfPos randomPos(std::mt19937& r) { return PdfPos(randomNumber(r), randomNumber(r)); }
inline PdfSize randomSize(std::mt19937& r) { return PdfSize(randomNumber(r), randomNumber(r)); }

inline PdfFont randomFont(std::mt19937& r) {
  return PdfFont(randomText(r), randomNumber(r),
                 r() % 2 ? PdfFontWeight::bold() : PdfFontWeight::normal(), randomText(r));
}

inline PdfElem randomElem(std::mt19937& r) {
  switch (r() % 4) {
    case 0: return PdfElem::text(PdfText(randomPos(r), randomText(r), randomFont(r)));
    case 1:
      return PdfElem::rectText(
          PdfRectText(randomPos(r), randomSize(r), randomText(r), randomFont(r)));
    case 2:
      return PdfElem::line(PdfLine(randomPos(r), randomPos(r), randomNumber(r), randomText(r),
                                   r() % 2 ? PdfLineStyle::dash() : PdfLineStyle::solid()));
    default: return PdfElem::rect(PdfRect(randomPos(r), randomSize(r), randomText(r)));
  }
}

// `pages` pages of `elems` elements each, drawn from `seed`.
inline PdfObj randomDocument(unsigned seed, int pages, int elems) {
  std::mt19937 random(seed);
  PdfPages all;
  for (int p = 0; p < pages; ++p) {
    PdfElems page;
    for (int e = 0; e < elems; ++e) page.Add(randomElem(random));
    all.Add(PdfPage(page));
  }
  return PdfObj(randomSize(random), all);
}

}  // namespace samples
