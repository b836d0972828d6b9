// Whole-file save and load.
#include <string>

#include "bridge/desktop/desktop.h"
#include "platform/file_writer.h"
#include "platform/read_only_file.h"

namespace bridge::desktop {
namespace {

Answer failure(const char* what, const std::string& path, const platform::Status& status) {
  return errorAnswer(std::string(what) + " [" + path + "]: " + status.reason());
}

}  // namespace

Answer saveFile(CommandContext& context) {
  const std::string path = context.pathArg(position::kPath);
  const platform::Status saved = platform::writeWholeFile(path, context.arg(position::kContent));
  if (!saved.ok()) return failure("Cannot save", path, saved);
  return {kOk, path};
}

// A file larger than an answer can carry is refused while it is read.
Answer loadFile(CommandContext& context) {
  const std::string path = context.pathArg(position::kPath);
  platform::Result<std::string> loaded = platform::loadWholeFile(path, kMaxAnswerBytes);
  if (!loaded) return failure("Cannot load", path, loaded.status());
  Answer answer{kOk};
  answer.push_back(std::move(*loaded));
  return answer;
}

}  // namespace bridge::desktop
