#include "bridge/protocol/protocol.h"

#include <json/reader.h>
#include <json/writer.h>

#include <charconv>
#include <cstddef>
#include <string>

#include "bridge/protocol/cmd_exception.h"

namespace bridge {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Requests are nearly always a flat array of plain strings; reading those
// directly halves the cost of a round trip. Anything else (numbers, \u
// escapes, nesting, comments, errors) is declined and left to the reader, so
// the result is always exactly the reader's.
bool readPlainArray(const std::string& text, Json::Value& root) {
  const char* p = text.data();
  const char* const end = p + text.size();
  auto skipBlanks = [&] { while (p != end && isBlank(*p)) ++p; };
  skipBlanks();
  if (p == end || *p != '[') return false;
  ++p;
  Json::Value array(Json::arrayValue);
  std::string item;
  for (;;) {
    skipBlanks();
    if (p == end) return false;
    if (*p == ']' && array.empty()) break;
    if (*p == 'n' && end - p >= 4 && std::string(p, 4) == "null") {
      array.append(Json::Value());
      p += 4;
    } else if (*p == '"') {
      item.clear();
      for (++p;; ++p) {
        // Plain runs go in whole: a print document is megabytes of them.
        const char* run = p;
        while (p != end && *p != '"' && *p != '\\') ++p;
        item.append(run, p);
        if (p == end) return false;
        if (*p == '"') break;
        if (++p == end) return false;
        switch (*p) {
          case '"': item += '"'; break;
          case '\\': item += '\\'; break;
          case '/': item += '/'; break;
          case 'b': item += '\b'; break;
          case 'f': item += '\f'; break;
          case 'n': item += '\n'; break;
          case 'r': item += '\r'; break;
          case 't': item += '\t'; break;
          default: return false;
        }
      }
      ++p;
      array.append(Json::Value(item));
    } else {
      return false;
    }
    skipBlanks();
    if (p != end && *p == ',') {
      ++p;
      continue;
    }
    if (p != end && *p == ']') break;
    return false;
  }
  ++p;
  skipBlanks();
  if (p != end) return false;
  root = std::move(array);
  return true;
}

}  // namespace

std::optional<Json::Value> parseRequest(const std::string& text) {
  Json::Value root;
  if (readPlainArray(text, root)) {
    if (root.empty()) return std::nullopt;
    return root;
  }
  // A reader costs more to build than a short request costs to parse.
  thread_local Json::Reader reader;
  try {
    if (!reader.parse(text, root, true)) return std::nullopt;
  } catch (const Json::Exception&) {
    // The reader gives up on deep nesting by throwing. Only an array is a
    // request the page waits an answer for; anything else stays ignored.
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first != std::string::npos && text[first] == '[') {
      throw CmdException("request nested too deeply");
    }
    return std::nullopt;
  }
  if (!root.isArray() || root.empty()) return std::nullopt;
  return root;
}

std::string elementText(const Json::Value& request, Json::ArrayIndex position) {
  if (!request.isArray() || position >= request.size()) return std::string();
  const Json::Value& element = request[position];
  switch (element.type()) {
    case Json::nullValue:
      return std::string();
    case Json::stringValue: {
      const char* begin = nullptr;
      const char* end = nullptr;
      element.getString(&begin, &end);
      return std::string(begin, end);
    }
    case Json::intValue:
      return std::to_string(element.asLargestInt());
    case Json::uintValue:
      return std::to_string(element.asLargestUInt());
    case Json::realValue: {
      // "%f" without the locale's say: the GUI library sets the user's
      // locale, and a decimal comma would change what the page sent.
      std::string text(400, '\0');  // enough for the largest double in fixed form
      const auto written = std::to_chars(&text[0], &text[0] + text.size(), element.asDouble(),
                                         std::chars_format::fixed, 6);
      text.resize(static_cast<std::size_t>(written.ptr - text.data()));
      return text;
    }
    case Json::booleanValue:
      return element.asBool() ? "true" : "false";
    case Json::arrayValue:
    case Json::objectValue:
      break;
  }
  throw CmdException("Type is not convertible to string");
}

std::string pathText(std::string text) {
  const std::size_t nul = text.find('\0');
  if (nul != std::string::npos) {
    throw CmdException("NUL byte in a path or name [" + text.substr(0, nul) + "]");
  }
  return text;
}

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

// Calls `plain(begin, end)` for runs of bytes written as they are and
// `escape(text, length)` for each escape, in order: the one walk both the
// length count and the writer use, so they cannot disagree.
template <class Plain, class Escape>
void walkQuoted(const std::string& text, Plain plain, Escape escape) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* const end = p + text.size();
  while (p != end) {
    const auto* run = p;
    while (p != end && *p >= 0x20 && *p < 0x80 && *p != '"' && *p != '\\') ++p;
    if (p != run) plain(reinterpret_cast<const char*>(run), reinterpret_cast<const char*>(p));
    if (p == end) break;
    char unit[13];
    switch (*p) {
      case '"': escape("\\\"", 2); ++p; continue;
      case '\\': escape("\\\\", 2); ++p; continue;
      case '\b': escape("\\b", 2); ++p; continue;
      case '\f': escape("\\f", 2); ++p; continue;
      case '\n': escape("\\n", 2); ++p; continue;
      case '\r': escape("\\r", 2); ++p; continue;
      case '\t': escape("\\t", 2); ++p; continue;
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

void appendQuoted(std::string& out, const std::string& text) {
  out += '"';
  walkQuoted(
      text, [&](const char* begin, const char* end) { out.append(begin, end); },
      [&](const char* escaped, size_t n) { out.append(escaped, n); });
  out += '"';
}

}  // namespace

std::string writeList(const std::vector<std::string>& list, std::size_t limit) {
  if (list.empty()) return "[]\n";
  // Every length is known before anything is written: the layout needs the
  // one-line length, and a text past the limit is refused before it is built.
  std::vector<size_t> lengths;
  lengths.reserve(list.size());
  size_t total = 4;
  for (const std::string& item : list) {
    lengths.push_back(quotedLength(item));
    total += lengths.back() + 5;
    if (total > limit) {
      throw CmdException("answer too large [more than " + std::to_string(limit) + " bytes]");
    }
  }
  bool oneLine = list.size() * 3 < kRightMargin;
  size_t lineLength = 4 + (list.size() - 1) * 2;
  for (size_t i = 0; oneLine && i < list.size(); ++i) {
    lineLength += lengths[i];
    oneLine = lineLength < kRightMargin;
  }
  std::string text;
  if (oneLine) {
    text.reserve(lineLength + 1);
    text += "[ ";
    for (size_t i = 0; i < list.size(); ++i) {
      if (i > 0) text += ", ";
      appendQuoted(text, list[i]);
    }
    text += " ]\n";
    return text;
  }
  text.reserve(total);
  text += "[";
  for (size_t i = 0; i < list.size(); ++i) {
    text += i == 0 ? "\n" : ",\n";
    text += kIndent;
    appendQuoted(text, list[i]);
  }
  text += "\n]\n";
  return text;
}

}  // namespace bridge
