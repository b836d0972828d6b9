// Reading a request text into its elements.
#include <json/reader.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

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

}  // namespace

std::optional<Request> parseRequest(std::string_view text) {
  Request request;
  if (readPlainArray(text, request)) {
    if (request.empty()) return std::nullopt;
    return request;
  }
  // A reader costs more to build than a short request costs to parse.
  thread_local Json::Reader reader;
  Json::Value root;
  try {
    if (!reader.parse(text.data(), text.data() + text.size(), root, true)) return std::nullopt;
  } catch (const Json::Exception&) {
    // The reader gives up on deep nesting by throwing. Only an array is a
    // request the page waits an answer for; anything else stays ignored.
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first != std::string_view::npos && text[first] == '[') {
      throw CmdException("request nested too deeply");
    }
    return std::nullopt;
  }
  if (!root.isArray() || root.empty()) return std::nullopt;
  return Request(root);
}

}  // namespace bridge
