// The bridge's own failure: a command that cannot give its answer throws one,
// and the dispatcher turns it into ["ERROR", message].
#pragma once

#include <string>

namespace bridge {

class CmdException {
 public:
  explicit CmdException(std::string message) : message_(std::move(message)) {}
  virtual ~CmdException() = default;

  const std::string& message() const { return message_; }

 private:
  std::string message_;
};

}  // namespace bridge
