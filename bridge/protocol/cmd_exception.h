// The bridge's one failure type: a command that cannot give its answer throws
// one, and the dispatcher (or a worker's frame) turns it into
// ["ERROR", message] or the command's error record.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace bridge {

class CmdException : public std::runtime_error {
 public:
  explicit CmdException(const std::string& message) : std::runtime_error(message) {}

  std::string message() const { return what(); }
};

// A message ends at its first NUL byte: a page's text that may hold one is
// put into a message with "\\0" standing for each NUL.
inline std::string visibleNul(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  for (char c : text) {
    if (c == '\0') {
      shown += "\\0";
    } else {
      shown += c;
    }
  }
  return shown;
}

}  // namespace bridge
