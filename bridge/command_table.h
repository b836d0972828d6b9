// The command table: every described command (commands.h) with its handler
// (command_call.h), found by its name.
#pragma once

#include <string>
#include <string_view>

#include "bridge/command_call.h"
#include "bridge/command_description.h"
#include "bridge/protocol/protocol.h"

namespace bridge {

struct CommandRow {
  const CommandDescription* description;
  CommandHandler handler;
};

// The row whose name equals `name` byte for byte, or null.
const CommandRow* findCommand(const std::string& name);

// Checks the arguments of `request` against `command`'s description before
// the command starts, so that nothing is done for a request that cannot be
// carried out: an argument without a text form throws CmdException("Type is
// not convertible to string"), and a NUL byte in an argument whose kind
// refuses it throws pathText's CmdException. Missing arguments are "".
// True when the request text `request` is one of a command that draws the
// page (CommandDescription::drawsPage). Cheap for every other request: only
// a request whose head names such a command is read whole.
bool drawsThePage(std::string_view request);

void checkArguments(const CommandDescription& command, const Request& request);

}  // namespace bridge
