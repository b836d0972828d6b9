// The window's title and state, and the exit listener.
#include <string>

#include "bridge/desktop/desktop.h"
#include "bridge/utf8_text.h"
#include "runtime/ansi_string.h"

namespace bridge::desktop {
namespace {

// The state bits a page may see and set: minimised, maximised, full screen
// and active.
constexpr int kStateMask = 0xF;

Answer stateAnswer(const ShellWindow& window) {
  return okAnswer(std::to_string(static_cast<int>(window.state()) & kStateMask));
}

}  // namespace

Answer setTitle(SetTitleCall& call) {
  call.window().setTitle(fromUtf8(call.title()));
  return okAnswer();
}

// Answers the state read back from the window.
Answer setWindowState(SetWindowStateCall& call) {
  const int flags = AnsiString(call.state()).ToIntOr(-1) & kStateMask;
  ShellWindow& window = call.window();
  window.setState(Qt::WindowStates(flags));
  return stateAnswer(window);
}

Answer getWindowState(GetWindowStateCall& call) { return stateAnswer(call.window()); }

Answer setTaskbarState(SetTaskbarStateCall&) { return okAnswer(); }

// Replaces any earlier listener.
Answer addExitListener(AddExitListenerCall& call) {
  call.window().setExitListener(call.page(), call.listener());
  return okAnswer();
}

Answer removeExitListener(RemoveExitListenerCall& call) {
  call.window().setExitListener(call.page(), std::string());
  return okAnswer();
}

}  // namespace bridge::desktop
