// The window's title, state and geometry, the shell's arguments, and the
// exit listener.
#include <charconv>
#include <string>

#include "bridge/desktop/desktop.h"
#include "bridge/desktop/window_placement.h"
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

// The whole text as a decimal integer; anything else fails the command.
int integerArgument(const char* name, const std::string& text) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end) {
    throw CmdException(std::string(name) + " is not a number: " + visibleNul(text));
  }
  return value;
}

int sizeArgument(const char* name, const std::string& text) {
  const int value = integerArgument(name, text);
  if (value <= 0) throw CmdException(std::string(name) + " must be above 0");
  return value;
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

Answer getWindowGeometry(GetWindowGeometryCall& call) {
  const ShellWindow& window = call.window();
  const QRect geometry = window.windowGeometry();
  Answer answer = okAnswer(std::to_string(geometry.x()), std::to_string(geometry.y()),
                           std::to_string(geometry.width()), std::to_string(geometry.height()));
  answer.push_back(stateAnswer(window)[1]);
  return answer;
}

Answer setWindowGeometry(SetWindowGeometryCall& call) {
  const QRect wanted(integerArgument("x", call.x()), integerArgument("y", call.y()),
                     sizeArgument("width", call.width()), sizeArgument("height", call.height()));
  ShellWindow& window = call.window();
  window.setWindowGeometry(keptOnScreen(wanted, window.availableScreenArea()));
  return okAnswer();
}

Answer getArguments(GetArgumentsCall& call) {
  Answer answer = okAnswer();
  const std::vector<std::string>& arguments = call.window().pageArguments();
  answer.insert(answer.end(), arguments.begin(), arguments.end());
  return answer;
}

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
