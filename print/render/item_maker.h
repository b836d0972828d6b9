// ItemMaker: a print document's elements, given as the texts the document
// holds, turned into the renderer's items on its current page.
//
// Both readings of a document (the one-pass reading of compact JSON and the
// walk over a PdfObj) hand their elements here, so that an element becomes
// the same item whichever way it was read. Each of the few fonts, colours
// and pens a document uses is made once and shared by its items; the texts
// that identify them are viewed, not copied, so they must outlive the maker.
//
// Numbers are read as decimal texts: a text that is not a finite decimal
// number throws AnsiString("AnsiString::ToDouble()"). GUI thread only.
#pragma once

#include <QColor>
#include <QFont>
#include <QPen>

#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "print/render/qt_pdf_obj.h"

// The decimal number `text` holds, as AnsiString::ToDouble reads it.
double documentNumber(std::string_view text);

struct PosText {
  std::string_view x;
  std::string_view y;
};

struct SizeText {
  std::string_view width;
  std::string_view height;
};

struct FontText {
  std::string_view family;
  std::string_view size;  // points
  bool bold;
  std::string_view color;
};

class ItemMaker {
 public:
  ItemMaker(QtPdfObj& renderer, bool halfFontSize)
      : renderer_(renderer), halfFontSize_(halfFontSize) {}

  // `value` is UTF-8 and is copied.
  void addText(PosText pos, std::string_view value, const FontText& font);
  void addRectText(PosText pos, SizeText size, std::string_view value, const FontText& font);
  void addLine(PosText from, PosText to, std::string_view width, std::string_view color, bool dash);
  void addRect(PosText pos, SizeText size, std::string_view color);

 private:
  // Up to kCapacity values made from keys are kept; any past that are made
  // each time.
  template <typename Key, typename Value>
  class Made {
   public:
    template <typename Make>
    const Value& get(const Key& key, Make make);

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

  struct LinePenKey {
    std::string_view color;
    std::string_view width;
    bool dash;
    bool operator==(const LinePenKey& other) const {
      return dash == other.dash && width == other.width && color == other.color;
    }
  };

  const QFont& font(const FontText& font);
  const QColor& color(std::string_view name);

  QtPdfObj& renderer_;
  const bool halfFontSize_;
  Made<FontKey, QFont> fonts_;
  Made<std::string_view, QColor> colors_;
  Made<LinePenKey, QPen> linePens_;
  Made<std::string_view, QPen> rectPens_;
};
