// The command table: every described command (commands.h) with the handler
// that runs it, in the order in which names are compared.
#pragma once

#include <optional>
#include <string>

#include "bridge/command_description.h"
#include "bridge/protocol/protocol.h"

class QWidget;

namespace bridge {

class Page;

class CmdState;
class ShellWindow;

// The text of `argument` in `request` (request.h): the one way every command
// reads its arguments. The dispatcher has checked them against their kinds
// before the command starts (checkArguments).
inline const std::string& argumentText(const Request& request, Argument argument) {
  return request.text(argument.position);
}

// What a handler gets for one request.
struct CommandContext {
  CmdState& state;
  QWidget* window;  // the main window (may be null in tests)
  Page* page;       // the page that sent the request
  const Request& request;
  // The answer's text, for a command that writes it as it goes (ListWriter)
  // rather than returning it as a list: it stands in for what the handler
  // returns.
  std::optional<std::string> writtenAnswer = std::nullopt;

  const std::string& arg(Argument argument) const { return argumentText(request, argument); }

  // The window seen as the shell. Throws CmdException("No window") when
  // there is none. Looked up only by the commands that need it, since the
  // lookup costs more than a whole `version` call.
  ShellWindow& shell() const;
};

using CommandHandler = Answer (*)(CommandContext& context);

struct CommandRow {
  const CommandDescription* description;
  CommandHandler handler;
};

// The row whose name equals `name` byte for byte, or null. Names are unique,
// so the first match in table order is the only one.
const CommandRow* findCommand(const std::string& name);

// Checks the arguments of `request` against `command`'s description before
// the command starts, so that nothing is done for a request that cannot be
// carried out: an argument without a text form throws CmdException("Type is
// not convertible to string"), and a NUL byte in an argument whose kind
// refuses it throws pathText's CmdException. Missing arguments are "".
void checkArguments(const CommandDescription& command, const Request& request);

}  // namespace bridge
