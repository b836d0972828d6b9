// The one rule by which every request element is read as text.
#include "bridge/protocol/protocol.h"

#include <charconv>
#include <cstddef>
#include <cstring>
#include <string>

#include "bridge/protocol/cmd_exception.h"

namespace bridge {
namespace {

constexpr char kNotConvertible[] = "Type is not convertible to string";

[[noreturn]] void throwNulRefused(const char* text, std::size_t nul) {
  throw CmdException("NUL byte in a path or name [" + std::string(text, nul) + "]");
}

}  // namespace

std::string elementText(const Json::Value& request, Json::ArrayIndex position) {
  if (!request.isArray() || position >= request.size()) return std::string();
  const Json::Value& element = request[position];
  switch (element.type()) {
    case Json::nullValue: return std::string();
    case Json::stringValue: {
      const char* begin = nullptr;
      const char* end = nullptr;
      element.getString(&begin, &end);
      return std::string(begin, end);
    }
    case Json::intValue: return std::to_string(element.asLargestInt());
    case Json::uintValue: return std::to_string(element.asLargestUInt());
    case Json::realValue: {
      // "%f" without the locale's say: the GUI library sets the user's
      // locale, and a decimal comma would change what the page sent.
      std::string text(400, '\0');  // enough for the largest double in fixed form
      const auto written = std::to_chars(&text[0], &text[0] + text.size(), element.asDouble(),
                                         std::chars_format::fixed, 6);
      text.resize(static_cast<std::size_t>(written.ptr - text.data()));
      return text;
    }
    case Json::booleanValue: return element.asBool() ? "true" : "false";
    case Json::arrayValue:
    case Json::objectValue: break;
  }
  throw CmdException(kNotConvertible);
}

std::string pathText(std::string text) {
  const std::size_t nul = text.find('\0');
  if (nul != std::string::npos) throwNulRefused(text.data(), nul);
  return text;
}

void checkElementText(const Json::Value& element, bool refuseNul) {
  if (element.isArray() || element.isObject()) throw CmdException(kNotConvertible);
  if (!refuseNul || !element.isString()) return;
  const char* begin = nullptr;
  const char* end = nullptr;
  element.getString(&begin, &end);
  const std::size_t length = static_cast<std::size_t>(end - begin);
  const auto* nul = static_cast<const char*>(std::memchr(begin, '\0', length));
  if (nul != nullptr) throwNulRefused(begin, static_cast<std::size_t>(nul - begin));
}

}  // namespace bridge
