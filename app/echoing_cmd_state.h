// A command executor whose log lines can also go to standard error, so that a
// developer running the shell with -debug sees the page's console messages,
// script errors and the bridge's own lines on the terminal as they happen.
//
// GUI thread only, like every log writer.
#pragma once

#include <string>

#include "bridge/cmd_state.h"

namespace app {

class EchoingCmdState : public bridge::CmdState {
 public:
  // Off at construction.
  void echoToStandardError(bool on) { echo_ = on; }

  // Appends the line to the run's log and, while echoing, writes the same
  // line (time stamp, ": ", message) to standard error.
  void log(const std::string& message) override;

 private:
  bool echo_ = false;
};

}  // namespace app
