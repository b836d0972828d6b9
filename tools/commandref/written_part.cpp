#include "tools/commandref/written_part.h"

namespace commandref {

std::optional<std::string> replaceWrittenPart(const std::string& text, const std::string& firstLine,
                                              const std::string& lastLine,
                                              const std::string& part) {
  const std::size_t first = text.find(firstLine);
  if (first == std::string::npos) return std::nullopt;
  const std::size_t last = text.find(lastLine, first);
  if (last == std::string::npos) return std::nullopt;
  return text.substr(0, first) + part + text.substr(last + lastLine.size());
}

}  // namespace commandref
