// The one rule by which every request element is read as text.
#include "bridge/protocol/protocol.h"

#include <charconv>
#include <cstddef>
#include <string>

#include "bridge/protocol/cmd_exception.h"

namespace bridge {

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

}  // namespace bridge
