// The command table: every command a page may name, in the order in which
// names are compared. A family adds its commands by giving its rows a handler.
#pragma once

#include <json/value.h>

#include <string>

#include "bridge/protocol/protocol.h"

class QWebPage;
class QWidget;

namespace bridge {

class CmdState;
class ShellWindow;

// What a handler gets for one request.
struct CommandContext {
  CmdState& state;
  QWidget* window;      // the main window (may be null in tests)
  QWebPage* page;       // the page that sent the request
  const Json::Value& request;

  // The request element at `position` read as text (protocol.h).
  std::string arg(Json::ArrayIndex position) const { return elementText(request, position); }

  // The same for a path, file name or program argument: a NUL byte is
  // refused with CmdException (pathText in protocol.h).
  std::string pathArg(Json::ArrayIndex position) const;

  // The window seen as the shell. Throws CmdException("No window") when
  // there is none. Looked up only by the commands that need it, since the
  // lookup costs more than a whole `version` call.
  ShellWindow& shell() const;
};

using CommandHandler = Answer (*)(CommandContext& context);

struct CommandRow {
  const char* name;
  // Null for a command whose family is not part of this build: the name is
  // then answered like any unknown name.
  CommandHandler handler;
};

// The row whose name equals `name` byte for byte, or null. Names are unique,
// so the first match in table order is the only one.
const CommandRow* findCommand(const std::string& name);

}  // namespace bridge
