// Folders and whole trees: listing, looking at one path, making folders,
// copying, moving and removing (platform/file_tree.h says how).
#include <string>

#include "bridge/desktop/desktop.h"
#include "platform/directory.h"
#include "platform/directory_listing.h"
#include "platform/file_tree.h"
#include "platform/path_info.h"

namespace bridge::desktop {
namespace {

Answer failure(const std::string& what, const platform::Status& status) {
  return errorAnswer("Cannot " + what + ": " + status.reason());
}

std::string named(const std::string& path) { return "[" + path + "]"; }

void addInfo(Answer& answer, const platform::PathInfo& info) {
  answer.push_back(platform::kindName(info.kind));
  answer.push_back(std::to_string(info.size));
  answer.push_back(platform::utcTimestamp(info.modified));
}

}  // namespace

Answer listDirectory(ListDirectoryCall& call) {
  const platform::Result<std::vector<platform::DirectoryEntry>> entries =
      platform::listDirectory(call.path());
  if (!entries) return failure("list " + named(call.path()), entries.status());
  Answer answer = okAnswer(std::to_string(entries->size()));
  for (const platform::DirectoryEntry& entry : *entries) {
    answer.push_back(entry.name);
    addInfo(answer, entry.info);
  }
  return answer;
}

Answer statPath(StatPathCall& call) {
  const platform::Result<platform::PathInfo> info = platform::pathInfo(call.path());
  if (!info) return failure("stat " + named(call.path()), info.status());
  Answer answer = okAnswer();
  addInfo(answer, *info);
  return answer;
}

Answer makeDirectory(MakeDirectoryCall& call) {
  const platform::Status made = platform::createDirectories(call.path());
  if (!made.ok()) return failure("make " + named(call.path()), made);
  return okAnswer(call.path());
}

Answer copyPath(CopyPathCall& call) {
  const platform::Status copied = platform::copyTree(call.from(), call.to());
  if (!copied.ok())
    return failure("copy " + named(call.from()) + " to " + named(call.to()), copied);
  return okAnswer(call.to());
}

Answer movePath(MovePathCall& call) {
  const platform::Status moved = platform::moveTree(call.from(), call.to());
  if (!moved.ok()) return failure("move " + named(call.from()) + " to " + named(call.to()), moved);
  return okAnswer(call.to());
}

Answer removePath(RemovePathCall& call) {
  const std::string& depth = call.depth();
  if (depth != "deep" && !depth.empty()) {
    return errorAnswer("Cannot remove " + named(call.path()) + R"(: depth is "deep" or "")");
  }
  const platform::Status removed = platform::removeTree(call.path(), depth == "deep");
  if (!removed.ok()) return failure("remove " + named(call.path()), removed);
  return okAnswer(call.path());
}

}  // namespace bridge::desktop
