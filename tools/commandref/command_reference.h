// The command reference for page authors, docs/commands.md, written from the
// commands' one description (bridge/commands.h). The committed file is
// compared with this text by tests/unit/bridge, so it cannot drift.
#pragma once

#include <string>

namespace commandref {

// The whole reference as Markdown.
std::string commandReference();

}  // namespace commandref
