#include "bridge/protocol/protocol.h"

#include <json/reader.h>
#include <json/writer.h>

#include <cstdio>
#include <stdexcept>

namespace bridge {

std::optional<Json::Value> parseRequest(const std::string& text) {
  Json::Value root;
  Json::Reader reader;
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

std::string writeList(const std::vector<std::string>& list) {
  Json::Value array(Json::arrayValue);
  for (const std::string& item : list) array.append(Json::Value(item));
  Json::StyledWriter writer;
  return writer.write(array);
}

}  // namespace bridge
