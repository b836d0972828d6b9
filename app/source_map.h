// Source maps (the JSON a bundler writes beside a bundle, version 3): which
// original file and line a position of the bundle comes from. Plain C++, for
// the log of a debugging run.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace app {

// The values of one mapping segment, written in base64 VLQ ("AAgBC" is
// 0, 0, 16, 1); nothing when the text is not such a segment.
std::optional<std::vector<int>> decodeVlq(std::string_view segment);

struct SourcePosition {
  std::string source;  // as the map names it, its sourceRoot in front
  int line = 0;        // from 1
};

// Where `line` (from 1) and `column` (from 0) of the bundle come from, as the
// map's JSON text `map` says: the last mapping at or before the column, or
// the line's first one when the column comes before them all. Nothing for a
// text that is not a source map or a line it maps to no source.
std::optional<SourcePosition> originalPosition(std::string_view map, int line, int column = 0);

}  // namespace app
