// Request texts come straight from page script: whatever they hold, reading
// them must either refuse the text or give every element a text or the one
// conversion error, and answers written from those texts must be exactly the
// styled writer's text and parse back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include <json/reader.h>
#include <json/writer.h>

#include "bridge/protocol/protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const auto request = bridge::parseRequest(text);

  // The request must be read exactly as jsoncpp's reader reads it.
  Json::Value reference;
  Json::Reader reader;
  const bool readable = reader.parse(text, reference, true) && reference.isArray() &&
                        !reference.empty();
  if (readable != request.has_value()) std::abort();
  if (!request) return 0;
  if (!(reference == *request)) std::abort();
  if (!request->isArray() || request->empty()) std::abort();

  bridge::Answer answer;
  for (Json::ArrayIndex i = 0; i <= request->size(); ++i) {
    try {
      answer.push_back(bridge::elementText(*request, i));
    } catch (const std::runtime_error&) {
      const Json::Value& element = (*request)[i];
      if (!element.isArray() && !element.isObject()) std::abort();
    }
  }
  Json::Value expected(Json::arrayValue);
  for (const std::string& item : answer) expected.append(Json::Value(item));
  const std::string written = bridge::writeList(answer);
  if (written != Json::StyledWriter().write(expected)) std::abort();
  const auto back = bridge::parseRequest(written);
  if (!answer.empty() && (!back || back->size() != answer.size())) std::abort();
  return 0;
}
