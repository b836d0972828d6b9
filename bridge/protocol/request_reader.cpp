// Reading a request text into its elements.
#include <json/reader.h>

#include <charconv>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bridge/protocol/cmd_exception.h"
#include "bridge/protocol/protocol.h"
#include "bridge/protocol/request.h"

namespace bridge {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Requests are nearly always a flat array of plain strings; reading those
// straight into texts is most of a round trip's saving. Anything else
// (numbers, \u escapes, nesting, comments, errors) is declined and left to
// the reader, so the result is always exactly the reader's.
bool readPlainArray(std::string_view text, Request& request) {
  const char* p = text.data();
  const char* const end = p + text.size();
  auto skipBlanks = [&] {
    while (p != end && isBlank(*p)) ++p;
  };
  skipBlanks();
  if (p == end || *p != '[') return false;
  ++p;
  Request array;
  array.reserve(8);  // a whole command's worth: one allocation, not one per growth
  std::string item;
  for (;;) {
    skipBlanks();
    if (p == end) return false;
    if (*p == ']' && array.empty()) break;
    if (*p == 'n' && end - p >= 4 && std::string_view(p, 4) == "null") {
      array.addText(std::string());
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
      array.addText(std::move(item));
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
  request = std::move(array);
  return true;
}

// The UTF-16 unit of the escape \uXXXX at `p`, or -1 when there is none.
int escapedUnit(std::string_view text, std::size_t p) {
  if (p > text.size() || text.size() - p < 6 || text[p] != '\\' || text[p + 1] != 'u') return -1;
  int unit = 0;
  const char* digits = text.data() + p + 2;
  const auto read = std::from_chars(digits, digits + 4, unit, 16);
  return read.ec == std::errc() && read.ptr == digits + 4 && digits[0] != '-' ? unit : -1;
}

bool isHighSurrogate(int unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(int unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

std::optional<std::string> withoutLoneSurrogateEscapes(std::string_view text) {
  std::string replaced;
  bool found = false;
  std::size_t copied = 0;
  for (std::size_t p = text.find('\\'); p != std::string_view::npos; p = text.find('\\', p)) {
    const int unit = escapedUnit(text, p);
    if (unit < 0) {
      p += 2;  // an escape of another kind, \\ among them
      continue;
    }
    if (isHighSurrogate(unit) && isLowSurrogate(escapedUnit(text, p + 6))) {
      p += 12;
      continue;
    }
    if (isHighSurrogate(unit) || isLowSurrogate(unit)) {
      replaced.append(text.substr(copied, p - copied)).append("\\uFFFD");
      copied = p + 6;
      found = true;
    }
    p += 6;
  }
  if (!found) return std::nullopt;
  replaced.append(text.substr(copied));
  return replaced;
}

std::optional<Request> parseRequest(std::string_view text) {
  Request request;
  if (readPlainArray(text, request)) {
    if (request.empty()) return std::nullopt;
    return request;
  }
  // Script's JSON.stringify escapes a lone surrogate; the reader would
  // refuse the request for a first half, and write the bytes of a
  // surrogate, which are not UTF-8, for a second.
  const std::optional<std::string> wellFormed = withoutLoneSurrogateEscapes(text);
  if (wellFormed) text = *wellFormed;
  // A reader costs more to build than a short request costs to parse.
  thread_local Json::Reader reader;
  Json::Value root;
  try {
    if (!reader.parse(text.data(), text.data() + text.size(), root, true)) return std::nullopt;
  } catch (const Json::Exception&) {
    // The reader gives up on deep nesting by throwing.
    throw CmdException("request nested too deeply");
  }
  if (!root.isArray() || root.empty()) return std::nullopt;
  return Request(root);
}

std::string notARequest(std::string_view text) {
  if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) {
    return "request is not a JSON array: empty text";
  }
  const std::optional<std::string> wellFormed = withoutLoneSurrogateEscapes(text);
  if (wellFormed) text = *wellFormed;
  Json::Reader reader;
  Json::Value root;
  bool parsed = false;
  try {
    parsed = reader.parse(text.data(), text.data() + text.size(), root, true);
  } catch (const Json::Exception&) {
    return "request nested too deeply";
  }
  if (!parsed) {
    const std::vector<Json::Reader::StructuredError> errors = reader.getStructuredErrors();
    if (errors.empty()) return "request is not a JSON array: not JSON";
    return "request is not a JSON array: not JSON at byte " +
           std::to_string(errors.front().offset_start) + ": " + errors.front().message;
  }
  switch (root.type()) {
    case Json::arrayValue: return "request is an empty array";
    case Json::objectValue: return "request is not a JSON array: an object";
    case Json::stringValue: return "request is not a JSON array: a string";
    case Json::booleanValue: return "request is not a JSON array: a boolean";
    case Json::nullValue: return "request is not a JSON array: null";
    default: return "request is not a JSON array: a number";
  }
}

}  // namespace bridge
