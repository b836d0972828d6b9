// The bridge's one failure type: a command that cannot give its answer throws
// one, and the dispatcher (or a worker's frame) turns it into
// ["ERROR", message] or the command's error record.
#pragma once

#include <stdexcept>
#include <string>

namespace bridge {

class CmdException : public std::runtime_error {
 public:
  explicit CmdException(const std::string& message) : std::runtime_error(message) {}

  std::string message() const { return what(); }
};

}  // namespace bridge
