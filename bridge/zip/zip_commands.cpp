#include "bridge/zip/zip_commands.h"

#include <cstring>
#include <optional>
#include <string>

#include "bridge/protocol/cmd_exception.h"
#include "bridge/worker.h"
#include "platform/replacement_file.h"
#include "zip/zip_archive.h"

namespace bridge::zip {
namespace {

// Request positions of the zip commands' arguments.
constexpr Json::ArrayIndex kArchivePath = kFirstArgument;
constexpr Json::ArrayIndex kMemberName = kFirstArgument + 1;
constexpr Json::ArrayIndex kCallbackId = kFirstArgument;
constexpr Json::ArrayIndex kExtractArchivePath = kFirstArgument + 1;
constexpr Json::ArrayIndex kExtractMemberName = kFirstArgument + 2;
constexpr Json::ArrayIndex kTargetPath = kFirstArgument + 3;

constexpr char kCannotUnpack[] = "Nie można rozpakować elementu.";
constexpr char kCannotWrite[] = "Nie można zapisać elementu.";

// What the unzipToFile worker works from, read on the GUI thread so that an
// argument without a text form is answered to the page. The page and the
// callback identifier travel in the worker's channel.
struct UnzipRequest {
  std::string archivePath;
  std::string memberName;
  std::string targetPath;
};

Record eventRecord(const WorkerChannel& channel, const char* event, const std::string& value) {
  Record record = channel.record(event);
  record.push_back(value);
  return record;
}

// Whatever else goes wrong in a worker (no memory left) ends the extraction
// as unreadable; the log has the reason.
Record failureRecord(const WorkerChannel& channel, const std::string&) {
  return eventRecord(channel, "error", kCannotUnpack);
}

// Pages expect a member that cannot be read to be told before progress 50
// and a target that cannot be written after it. The member is therefore read
// through even when nothing can be written, to know which failure it is.
void extract(const WorkerChannel& channel, const UnzipRequest& request) {
  channel.deliver(eventRecord(channel, "progress", "0"));
  std::optional<platform::ReplacementFile> target =
      platform::ReplacementFile::create(request.targetPath);
  const bool read = readZipEntry(request.archivePath, request.memberName,
                                 [&target](const char* bytes, std::size_t size) {
                                   // A failed write gives up the file and its disk space at once.
                                   if (target && !target->write(bytes, size)) target.reset();
                                 });
  if (!read) {
    channel.deliver(eventRecord(channel, "error", kCannotUnpack));
    return;
  }
  channel.deliver(eventRecord(channel, "progress", "50"));
  if (!target || !target->commit()) {
    channel.deliver(eventRecord(channel, "error", kCannotWrite));
    return;
  }
  channel.deliver(eventRecord(channel, "progress", "100"));
  channel.deliver(eventRecord(channel, "finish", request.memberName));
}

}  // namespace

Answer getZipDir(CommandContext& context) {
  std::vector<std::string> names = listZipEntries(context.arg(kArchivePath));
  if (names.empty()) return errorAnswer(kCannotUnpack);
  Answer answer{kOk};
  answer.insert(answer.end(), std::make_move_iterator(names.begin()),
                std::make_move_iterator(names.end()));
  return answer;
}

// The answer carries the content up to its first zero byte; the rest is
// still read, so that its CRC is checked.
Answer getZipEntry(CommandContext& context) {
  std::string content;
  bool ended = false;
  const bool read = readZipEntry(
      context.arg(kArchivePath), context.arg(kMemberName),
      [&content, &ended](const char* bytes, std::size_t size) {
        if (ended) return;
        const auto* zero = static_cast<const char*>(std::memchr(bytes, 0, size));
        const std::size_t kept = zero == nullptr ? size : static_cast<std::size_t>(zero - bytes);
        if (content.size() + kept > kMaxAnswerBytes) {
          throw CmdException("member too large for an answer [more than " +
                             std::to_string(kMaxAnswerBytes) + " bytes]");
        }
        content.append(bytes, kept);
        ended = zero != nullptr;
      });
  if (!read) return errorAnswer(kCannotUnpack);
  return {kOk, std::move(content)};
}

Answer unzipToFile(CommandContext& context) {
  UnzipRequest request{context.arg(kExtractArchivePath), context.arg(kExtractMemberName),
                       context.arg(kTargetPath)};
  std::string targetPath = request.targetPath;
  runWorker(WorkerChannel(context.page, context.arg(kCallbackId), "unzipToFile"),
            [request = std::move(request)](const WorkerChannel& channel) {
              extract(channel, request);
            },
            failureRecord);
  return {kOk, std::move(targetPath)};
}

}  // namespace bridge::zip
