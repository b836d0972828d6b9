// shellExecute and getKnownPath: the two commands that ask the system.
#include <cstdlib>
#include <optional>
#include <string>

#include "bridge/desktop/desktop.h"
#include "platform/known_folder.h"
#include "platform/shell_open.h"

namespace bridge::desktop {

// The code is that of platform/shell_open.h; the show command is not used:
// programs here decide how to show themselves.
Answer shellExecute(ShellExecuteCall& call) {
  const int code = platform::shellExecuteCode(
      platform::shellOpen(call.operation(), call.file(), call.parameters(), call.directory()));
  return okAnswer("R" + std::to_string(code));
}

Answer getKnownPath(GetKnownPathCall& call) {
  // atoi, as pages have always relied on: text that is no number is folder 0.
  const int number = std::atoi(call.folder().c_str());
  const platform::Result<std::string> path = platform::knownFolderPath(number);
  if (!path) return errorAnswer();
  return okAnswer(*path);
}

}  // namespace bridge::desktop
