// shellExecute and getKnownPath: the two commands that ask the system.
#include <cstdlib>
#include <optional>
#include <string>

#include "bridge/commands.h"
#include "bridge/desktop/desktop.h"
#include "platform/known_folder.h"
#include "platform/shell_open.h"

namespace bridge::desktop {
namespace {

constexpr Argument kOperation = describedArgument("shellExecute", "operation");
constexpr Argument kFile = describedArgument("shellExecute", "file");
constexpr Argument kParameters = describedArgument("shellExecute", "parameters");
constexpr Argument kDirectory = describedArgument("shellExecute", "directory");
constexpr Argument kFolder = describedArgument("getKnownPath", "folder");

}  // namespace

Answer shellExecute(CommandContext& context) {
  const int code = platform::shellExecuteCode(
      platform::shellOpen(context.arg(kOperation), context.arg(kFile), context.arg(kParameters),
                          context.arg(kDirectory)));
  return okAnswer("R" + std::to_string(code));
}

Answer getKnownPath(CommandContext& context) {
  // atoi, as pages have always relied on: text that is no number is folder 0.
  const int number = std::atoi(context.arg(kFolder).c_str());
  const platform::Result<std::string> path = platform::knownFolderPath(number);
  if (!path) return errorAnswer();
  return okAnswer(*path);
}

}  // namespace bridge::desktop
