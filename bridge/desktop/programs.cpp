// shellExecute and getKnownPath: the two commands that ask the system.
#include <cstdlib>
#include <optional>
#include <string>

#include "bridge/desktop/desktop.h"
#include "platform/known_folder.h"
#include "platform/shell_open.h"

namespace bridge::desktop {

Answer shellExecute(CommandContext& context) {
  const int code = platform::shellOpen(
      context.pathArg(position::kOperation), context.pathArg(position::kFile),
      context.pathArg(position::kParameters), context.pathArg(position::kDirectory));
  return {"OK", "R" + std::to_string(code)};
}

Answer getKnownPath(CommandContext& context) {
  // atoi, as pages have always relied on: text that is no number is folder 0.
  const int number = std::atoi(context.arg(position::kFolderNumber).c_str());
  const std::optional<std::string> path = platform::knownFolderPath(number);
  if (!path) return {"ERROR"};
  return {"OK", *path};
}

}  // namespace bridge::desktop
