#include "bridge/protocol/protocol.h"

#include <json/reader.h>
#include <json/writer.h>

#include <cstdio>
#include <stdexcept>

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
        if (p == end) return false;
        if (*p == '"') break;
        if (*p != '\\') {
          item += *p;
          continue;
        }
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
  if (!reader.parse(text, root, true)) return std::nullopt;
  if (!root.isArray() || root.empty()) return std::nullopt;
  return root;
}

std::string elementText(const Json::Value& request, Json::ArrayIndex position) {
  if (!request.isArray() || position >= request.size()) return std::string();
  const Json::Value& element = request[position];
  char text[64];
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
      std::snprintf(text, sizeof text, "%lld", static_cast<long long>(element.asLargestInt()));
      return text;
    case Json::uintValue:
      std::snprintf(text, sizeof text, "%llu",
                    static_cast<unsigned long long>(element.asLargestUInt()));
      return text;
    case Json::realValue: {
      int length = std::snprintf(nullptr, 0, "%f", element.asDouble());
      std::string big(static_cast<size_t>(length) + 1, '\0');
      std::snprintf(&big[0], big.size(), "%f", element.asDouble());
      big.resize(static_cast<size_t>(length));
      return big;
    }
    case Json::booleanValue:
      return element.asBool() ? "true" : "false";
    case Json::arrayValue:
    case Json::objectValue:
      break;
  }
  throw std::runtime_error("Type is not convertible to string");
}

namespace {

// jsoncpp's styled writer puts an array on one line when it has fewer than 25
// elements and "[ " + elements joined by ", " + " ]" stays under 74 bytes;
// otherwise one element per line, indented by three blanks.
const size_t kRightMargin = 74;
const char kIndent[] = "   ";

bool needsEscaping(const std::string& text) {
  for (unsigned char c : text) {
    if (c < 0x20 || c >= 0x7F || c == '"' || c == '\\') return true;
  }
  return false;
}

// Appends the string as the styled writer quotes it. Plain printable ASCII,
// by far the common case, is quoted here; anything else is left to the writer
// itself so that escapes and the handling of non-ASCII bytes stay its own.
void appendQuoted(std::string& out, const std::string& text) {
  if (!needsEscaping(text)) {
    out += '"';
    out += text;
    out += '"';
    return;
  }
  Json::StyledWriter writer;
  const std::string written = writer.write(Json::Value(text));
  out.append(written, 0, written.size() - 1);  // without the writer's closing line feed
}

size_t quotedLength(const std::string& text) {
  if (!needsEscaping(text)) return text.size() + 2;
  std::string quoted;
  appendQuoted(quoted, text);
  return quoted.size();
}

}  // namespace

std::string writeList(const std::vector<std::string>& list) {
  if (list.empty()) return "[]\n";
  // The one-line test needs the whole line's length before anything is written.
  bool oneLine = list.size() * 3 < kRightMargin;
  size_t lineLength = 4 + (list.size() - 1) * 2;
  for (size_t i = 0; oneLine && i < list.size(); ++i) {
    lineLength += quotedLength(list[i]);
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
  size_t total = 4;
  for (const std::string& item : list) total += item.size() + 7;
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
