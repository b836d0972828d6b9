// The documents the print benchmarks measure: pages of an invoice-like mix
// of items (40 texts, 20 lines, 20 rectangles, 20 wrapped texts a page).
#pragma once

#include <string>

#include "print/pdf_types.h"
#include "tests/unit/print/sample_documents.h"

namespace bench {

inline PdfPage benchPage(int page, int items) {
  PdfElems elems;
  for (int i = 0; i < items; ++i) {
    const AnsiString x(10.0 + (i % 5) * 38.0);
    const AnsiString y(15.0 + (i / 5) * 13.5);
    const std::string label =
        "Pozycja " + std::to_string(page) + "." + std::to_string(i) + " zażółć";
    switch (i % 5) {
      case 0:
      case 1:
        elems.Add(PdfElem::text(PdfText(PdfPos(x, y), label, samples::font("18", i % 2 == 1))));
        break;
      case 2:
        elems.Add(
            PdfElem::line(PdfLine(PdfPos(x, y), PdfPos(AnsiString(10.0 + (i % 5) * 38.0 + 30), y),
                                  "0.3", "#5a6275", PdfLineStyle::solid())));
        break;
      case 3: elems.Add(PdfElem::rect(PdfRect(PdfPos(x, y), PdfSize("30", "4"), "#e4e7ee"))); break;
      default:
        elems.Add(
            PdfElem::rectText(PdfRectText(PdfPos(x, y), PdfSize("34", "12"),
                                          label + " z opisem do zawinięcia", samples::font("14"))));
    }
  }
  return PdfPage(elems);
}

inline PdfObj benchDocument(int pages, int items) {
  PdfPages all;
  for (int p = 0; p < pages; ++p) all.Add(benchPage(p, items));
  return PdfObj(PdfSize("210", "297"), all);
}

}  // namespace bench
