// The C++ side of the commands' description: bridge/command_calls.h, which
// the build writes into its tree from bridge/commands.h. For every command it
// holds the class of its arguments, named as the description names them, and
// the declaration of its handler; then the dispatcher's handlers in the
// description's order (bridge/command_call.h shows what a handler sees).
#pragma once

#include <optional>
#include <string>

#include "bridge/command_description.h"

namespace commandref {

// Why `command`'s name or one of its arguments' names cannot name a C++
// function or accessor, or nothing when all can: each must be an identifier,
// no keyword, and no name the call already has (page, window, ...); the
// arguments' names must differ.
std::optional<std::string> unusableName(const bridge::CommandDescription& command);

// The header's text. Throws std::invalid_argument naming the command when a
// name is unusable.
std::string commandCalls();

}  // namespace commandref
