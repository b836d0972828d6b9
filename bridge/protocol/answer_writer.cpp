// Writing an answer or a record as the JSON text the page reads.
#include "bridge/protocol/protocol.h"

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "bridge/protocol/cmd_exception.h"

namespace bridge {

namespace {

// jsoncpp's styled writer puts an array on one line when it has fewer than 25
// elements and "[ " + elements joined by ", " + " ]" stays under 74 bytes;
// otherwise one element per line, indented by three blanks.
const size_t kRightMargin = 74;
const char kIndent[] = "   ";
const char kHexDigits[] = "0123456789abcdef";
const char32_t kReplacement = 0xFFFD;

// The length of the well-formed UTF-8 sequence at `p` (2 to 4 bytes) with
// its code point, or 0 when `p` does not start one. Overlong forms,
// surrogates and code points past U+10FFFF are not well-formed.
std::size_t utf8Sequence(const unsigned char* p, const unsigned char* end, char32_t& codePoint) {
  const unsigned char lead = p[0];
  std::size_t length;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    codePoint = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    codePoint = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    codePoint = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (static_cast<std::size_t>(end - p) < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const unsigned char next = p[i];
    if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF)) return 0;
    codePoint = (codePoint << 6) | (next & 0x3F);
  }
  return length;
}

// Which bytes go into a quoted string as they are: printable ASCII but the
// quote and the backslash. A table, since the answer to a query walks every
// byte of every value twice.
struct PlainBytes {
  bool table[256] = {};
  constexpr PlainBytes() {
    for (int byte = 0x20; byte < 0x80; ++byte) table[byte] = byte != '"' && byte != '\\';
  }
  constexpr bool operator[](unsigned char byte) const { return table[byte]; }
};
constexpr PlainBytes kWrittenAsIs;

// Calls `plain(begin, end)` for runs of bytes written as they are and
// `escape(text, length)` for each escape, in order: the one walk both the
// length count and the writer use, so they cannot disagree.
template <class Plain, class Escape>
void walkQuoted(const std::string& text, Plain plain, Escape escape) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* const end = p + text.size();
  while (p != end) {
    const auto* run = p;
    while (p != end && kWrittenAsIs[*p]) ++p;
    if (p != run) plain(reinterpret_cast<const char*>(run), reinterpret_cast<const char*>(p));
    if (p == end) break;
    char unit[13];
    switch (*p) {
      case '"':
        escape("\\\"", 2);
        ++p;
        continue;
      case '\\':
        escape("\\\\", 2);
        ++p;
        continue;
      case '\b':
        escape("\\b", 2);
        ++p;
        continue;
      case '\f':
        escape("\\f", 2);
        ++p;
        continue;
      case '\n':
        escape("\\n", 2);
        ++p;
        continue;
      case '\r':
        escape("\\r", 2);
        ++p;
        continue;
      case '\t':
        escape("\\t", 2);
        ++p;
        continue;
      default: break;
    }
    char32_t codePoint = *p;
    std::size_t length = 1;
    if (*p >= 0x80) {
      length = utf8Sequence(p, end, codePoint);
      if (length == 0) {
        codePoint = kReplacement;
        length = 1;
      }
    }
    p += length;
    auto writeUnit = [](char* at, unsigned value) {
      at[0] = '\\';
      at[1] = 'u';
      for (int i = 0; i < 4; ++i) at[2 + i] = kHexDigits[(value >> (12 - 4 * i)) & 0xF];
    };
    if (codePoint < 0x10000) {
      writeUnit(unit, static_cast<unsigned>(codePoint));
      escape(unit, 6);
    } else {
      const char32_t offset = codePoint - 0x10000;
      writeUnit(unit, 0xD800 + static_cast<unsigned>(offset >> 10));
      writeUnit(unit + 6, 0xDC00 + static_cast<unsigned>(offset & 0x3FF));
      escape(unit, 12);
    }
  }
}

size_t quotedLength(const std::string& text) {
  size_t length = 2;
  walkQuoted(
      text, [&](const char* begin, const char* end) { length += static_cast<size_t>(end - begin); },
      [&](const char*, size_t n) { length += n; });
  return length;
}

// Writes `text` quoted at `at`, which has room for its quoted length, and
// returns the end of what it wrote.
char* writeQuoted(char* at, const std::string& text) {
  *at++ = '"';
  auto copy = [&](const char* begin, std::size_t n) {
    std::memcpy(at, begin, n);
    at += n;
  };
  walkQuoted(
      text, [&](const char* begin, const char* end) { copy(begin, end - begin); }, copy);
  *at++ = '"';
  return at;
}

// The sum of the items' quoted lengths, or `kTooLarge` as soon as the written
// text would pass `limit`. The sum alone settles both layouts: every item
// adds its quoted length plus a separator of fixed size.
const size_t kTooLarge = static_cast<size_t>(-1);

size_t quotedSum(const std::vector<std::string>& list, std::size_t limit) {
  size_t sum = 0;
  size_t bound = 4;
  for (const std::string& item : list) {
    const size_t length = quotedLength(item);
    sum += length;
    bound += length + 5;
    if (bound > limit) return kTooLarge;
  }
  return sum;
}

}  // namespace

bool listFits(const std::vector<std::string>& list, std::size_t limit) {
  return quotedSum(list, limit) != kTooLarge;
}

std::string writeList(const std::vector<std::string>& list, std::size_t limit) {
  if (list.empty()) return "[]\n";
  // Every length is known before anything is written: the layout needs the
  // one-line length, and a text past the limit is refused before it is built.
  const size_t sum = quotedSum(list, limit);
  if (sum == kTooLarge) {
    throw CmdException("answer too large [more than " + std::to_string(limit) + " bytes]");
  }
  // Lengths are positive, so the whole line staying under the margin means
  // every prefix of it did too.
  const size_t lineLength = 4 + (list.size() - 1) * 2 + sum;
  // Sized exactly up front and written through a pointer: an answer to a
  // query holds hundreds of thousands of items.
  const bool oneLine = list.size() * 3 < kRightMargin && lineLength < kRightMargin;
  std::string text(oneLine ? lineLength + 1 : 3 + list.size() * 5 + sum, '\0');
  char* at = &text[0];
  auto put = [&](const char* literal, std::size_t n) {
    std::memcpy(at, literal, n);
    at += n;
  };
  if (oneLine) {
    put("[ ", 2);
    for (size_t i = 0; i < list.size(); ++i) {
      if (i > 0) put(", ", 2);
      at = writeQuoted(at, list[i]);
    }
    put(" ]\n", 3);
    return text;
  }
  put("[", 1);
  for (size_t i = 0; i < list.size(); ++i) {
    if (i == 0) {
      put("\n", 1);
    } else {
      put(",\n", 2);
    }
    put(kIndent, 3);
    at = writeQuoted(at, list[i]);
  }
  put("\n]\n", 3);
  return text;
}

}  // namespace bridge
