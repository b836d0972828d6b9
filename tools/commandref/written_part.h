// A file that is partly written from the commands' description keeps that
// part between two marker lines; the rest is written by hand.
#pragma once

#include <optional>
#include <string>

namespace commandref {

// `text` with everything from the line starting `firstLine` through the line
// `lastLine` (both included, `lastLine` ending in a line feed) replaced by
// `part`, or nothing when either marker is missing.
std::optional<std::string> replaceWrittenPart(const std::string& text, const std::string& firstLine,
                                              const std::string& lastLine,
                                              const std::string& part);

}  // namespace commandref
