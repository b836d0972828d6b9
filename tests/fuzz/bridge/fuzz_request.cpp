// Request texts come straight from page script: whatever they hold, reading
// them must either refuse the text or give every element a text or the one
// conversion error, and answers written from those texts must parse back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "bridge/protocol/protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const auto request = bridge::parseRequest(text);
  if (!request) return 0;
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
  const auto back = bridge::parseRequest(bridge::writeList(answer));
  if (!answer.empty() && (!back || back->size() != answer.size())) std::abort();
  return 0;
}
