// The one rule by which every request element is read as text.
#include "bridge/protocol/request.h"

#include <charconv>
#include <cstddef>
#include <cstring>
#include <string>

#include "bridge/protocol/cmd_exception.h"
#include "bridge/protocol/protocol.h"

namespace bridge {
namespace {

constexpr char kNotConvertible[] = "Type is not convertible to string";

[[noreturn]] void throwNulRefused(const char* text, std::size_t nul) {
  throw CmdException("NUL byte in a path or name [" + std::string(text, nul) + "]");
}

std::string realText(double value) {
  // "%f" without the locale's say: the GUI library sets the user's locale,
  // and a decimal comma would change what the page sent.
  std::string text(400, '\0');  // enough for the largest double in fixed form
  const auto written =
      std::to_chars(&text[0], &text[0] + text.size(), value, std::chars_format::fixed, 6);
  text.resize(static_cast<std::size_t>(written.ptr - text.data()));
  return text;
}

}  // namespace

Request::Request(const Json::Value& array) {
  elements_.reserve(array.size());
  for (const Json::Value& element : array) {
    switch (element.type()) {
      case Json::nullValue: addText(std::string()); break;
      case Json::stringValue: {
        const char* begin = nullptr;
        const char* end = nullptr;
        element.getString(&begin, &end);
        addText(std::string(begin, end));
        break;
      }
      case Json::intValue: addText(std::to_string(element.asLargestInt())); break;
      case Json::uintValue: addText(std::to_string(element.asLargestUInt())); break;
      case Json::realValue: addText(realText(element.asDouble())); break;
      case Json::booleanValue: addText(element.asBool() ? "true" : "false"); break;
      case Json::arrayValue:
      case Json::objectValue: addWithoutText(); break;
    }
  }
}

const std::string& Request::text(std::size_t position) const {
  static const std::string kMissing;
  if (position >= elements_.size()) return kMissing;
  const Element& element = elements_[position];
  if (!element.hasText) throw CmdException(kNotConvertible);
  return element.text;
}

void Request::checkText(std::size_t position, bool refuseNul) const {
  const std::string& content = text(position);
  if (!refuseNul) return;
  const auto* nul = static_cast<const char*>(std::memchr(content.data(), '\0', content.size()));
  if (nul != nullptr) throwNulRefused(content.data(), static_cast<std::size_t>(nul - content.data()));
}

std::size_t Request::textBytes() const {
  std::size_t bytes = 0;
  for (const Element& element : elements_) bytes += element.text.size();
  return bytes;
}

bool Request::operator==(const Request& other) const {
  if (elements_.size() != other.elements_.size()) return false;
  for (std::size_t i = 0; i < elements_.size(); ++i) {
    const Element& mine = elements_[i];
    const Element& theirs = other.elements_[i];
    if (mine.hasText != theirs.hasText || mine.text != theirs.text) return false;
  }
  return true;
}

std::string pathText(std::string text) {
  const std::size_t nul = text.find('\0');
  if (nul != std::string::npos) throwNulRefused(text.data(), nul);
  return text;
}

}  // namespace bridge
