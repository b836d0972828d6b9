#include "app/source_map.h"

#include <json/reader.h>

#include <memory>

namespace app {
namespace {

int base64Digit(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

// One mapping of the bundle, its fields absolute.
struct Mapping {
  int column = 0;
  int source = 0;
  int line = 0;
};

}  // namespace

std::optional<std::vector<int>> decodeVlq(std::string_view segment) {
  std::vector<int> values;
  long value = 0;
  int shift = 0;
  for (const char c : segment) {
    const int digit = base64Digit(c);
    // Past 31 bits a value would not fit, whatever a broken map says.
    if (digit < 0 || shift > 30) return std::nullopt;
    value |= static_cast<long>(digit & 31) << shift;
    if (digit & 32) {
      shift += 5;
      continue;
    }
    values.push_back(static_cast<int>((value & 1) ? -(value >> 1) : (value >> 1)));
    value = 0;
    shift = 0;
  }
  if (shift != 0 || values.empty()) return std::nullopt;
  return values;
}

std::optional<SourcePosition> originalPosition(std::string_view map, int line, int column) {
  Json::Value root;
  Json::CharReaderBuilder builder;
  const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  if (!reader->parse(map.data(), map.data() + map.size(), &root, nullptr) || !root.isObject() ||
      !root["mappings"].isString() || !root["sources"].isArray()) {
    return std::nullopt;
  }
  const std::string mappings = root["mappings"].asString();
  // Sources and original lines count on from one segment to the next across
  // lines; columns start again on each line.
  Mapping state;
  int generatedLine = 1;
  std::optional<Mapping> found;
  std::size_t start = 0;
  while (start <= mappings.size() && generatedLine <= line) {
    const std::size_t end = mappings.find_first_of(",;", start);
    const std::string_view segment =
        std::string_view(mappings).substr(start, end == std::string::npos ? std::string::npos
                                                                          : end - start);
    if (!segment.empty()) {
      const std::optional<std::vector<int>> values = decodeVlq(segment);
      if (!values) return std::nullopt;
      state.column += (*values)[0];
      // A segment of one value names no source.
      const bool named = values->size() >= 4;
      if (named) {
        state.source += (*values)[1];
        state.line += (*values)[2];
      }
      if (named && generatedLine == line && (!found || state.column <= column)) found = state;
    }
    if (end == std::string::npos) break;
    if (mappings[end] == ';') {
      ++generatedLine;
      state.column = 0;
    }
    start = end + 1;
  }
  const Json::Value& sources = root["sources"];
  if (!found || found->source < 0 || static_cast<Json::ArrayIndex>(found->source) >= sources.size()) {
    return std::nullopt;
  }
  const Json::Value& source = sources[static_cast<Json::ArrayIndex>(found->source)];
  if (!source.isString()) return std::nullopt;
  const std::string sourceRoot =
      root["sourceRoot"].isString() ? root["sourceRoot"].asString() : std::string();
  return SourcePosition{sourceRoot + source.asString(), found->line + 1};
}

}  // namespace app
