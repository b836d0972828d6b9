// The window's title and state, and the exit listener.
#include <QWidget>

#include <stdexcept>
#include <string>

#include "bridge/commands.h"
#include "bridge/desktop/desktop.h"
#include "bridge/protocol/cmd_exception.h"
#include "bridge/shell_window.h"
#include "bridge/utf8_text.h"
#include "runtime/ansi_string.h"

namespace bridge::desktop {
namespace {

// The state bits a page may see and set: minimised, maximised, full screen
// and active.
constexpr int kStateMask = 0xF;

constexpr Argument kTitle = describedArgument("setTitle", "title");
constexpr Argument kState = describedArgument("setWindowState", "state");
constexpr Argument kListener = describedArgument("addExitListener", "listener");

QWidget& window(CommandContext& context) {
  if (context.window == nullptr) throw CmdException("No window");
  return *context.window;
}

Answer stateAnswer(const QWidget& widget) {
  return okAnswer(std::to_string(static_cast<int>(widget.windowState()) & kStateMask));
}

}  // namespace

Answer setTitle(CommandContext& context) {
  window(context).setWindowTitle(fromUtf8(context.arg(kTitle)));
  return okAnswer();
}

Answer setWindowState(CommandContext& context) {
  const int flags = AnsiString(context.arg(kState)).ToIntOr(-1) & kStateMask;
  QWidget& widget = window(context);
  widget.setWindowState(Qt::WindowStates(flags));
  return stateAnswer(widget);
}

Answer getWindowState(CommandContext& context) { return stateAnswer(window(context)); }

Answer setTaskbarState(CommandContext&) { return okAnswer(); }

Answer addExitListener(CommandContext& context) {
  context.shell().setExitListener(context.page, context.arg(kListener));
  return okAnswer();
}

Answer removeExitListener(CommandContext& context) {
  context.shell().setExitListener(context.page, std::string());
  return okAnswer();
}

}  // namespace bridge::desktop
