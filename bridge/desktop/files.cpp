// Whole-file save and load.
#include <string>

#include "bridge/commands.h"
#include "bridge/desktop/desktop.h"
#include "platform/whole_file.h"

namespace bridge::desktop {
namespace {

constexpr Argument kSavePath = describedArgument("saveFile", "path");
constexpr Argument kSaveContent = describedArgument("saveFile", "content");
constexpr Argument kLoadPath = describedArgument("loadFile", "path");

Answer failure(const char* what, const std::string& path, const std::string& reason) {
  return errorAnswer(std::string(what) + " [" + path + "]: " + reason);
}

}  // namespace

Answer saveFile(CommandContext& context) {
  const std::string path = context.arg(kSavePath);
  const std::string reason = platform::saveWholeFile(path, context.arg(kSaveContent));
  if (!reason.empty()) return failure("Cannot save", path, reason);
  return okAnswer(path);
}

// A file larger than an answer can carry is refused while it is read.
Answer loadFile(CommandContext& context) {
  const std::string path = context.arg(kLoadPath);
  Answer answer = okAnswer(std::string());
  const std::string reason = platform::loadWholeFile(path, answer[1], kMaxAnswerBytes);
  if (!reason.empty()) return failure("Cannot load", path, reason);
  return answer;
}

}  // namespace bridge::desktop
