// Whole-file save and load.
#include <string>

#include "bridge/commands.h"
#include "bridge/desktop/desktop.h"
#include "platform/file_writer.h"
#include "platform/read_only_file.h"

namespace bridge::desktop {
namespace {

constexpr Argument kSavePath = describedArgument("saveFile", "path");
constexpr Argument kSaveContent = describedArgument("saveFile", "content");
constexpr Argument kLoadPath = describedArgument("loadFile", "path");

Answer failure(const char* what, const std::string& path, const platform::Status& status) {
  return errorAnswer(std::string(what) + " [" + path + "]: " + status.reason());
}

}  // namespace

Answer saveFile(CommandContext& context) {
  const std::string path = context.arg(kSavePath);
  const platform::Status saved = platform::writeWholeFile(path, context.arg(kSaveContent));
  if (!saved.ok()) return failure("Cannot save", path, saved);
  return okAnswer(path);
}

// A file larger than an answer can carry is refused while it is read.
Answer loadFile(CommandContext& context) {
  const std::string path = context.arg(kLoadPath);
  platform::Result<std::string> loaded = platform::loadWholeFile(path, kMaxAnswerBytes);
  if (!loaded) return failure("Cannot load", path, loaded.status());
  Answer answer = okAnswer();
  answer.push_back(std::move(*loaded));
  return answer;
}

}  // namespace bridge::desktop
