#include "bridge/zip/zip_commands.h"

#include <cstring>
#include <optional>
#include <string>

#include "bridge/protocol/protocol.h"
#include "bridge/worker.h"
#include "platform/file_writer.h"
#include "runtime/base64.h"
#include "zip/zip_archive.h"

namespace bridge::zip {
namespace {

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

// Whatever else goes wrong in a worker (no memory left) ends the extraction
// as unreadable; the log has the reason.
Record failureRecord(const WorkerChannel& channel, const std::string&) {
  return channel.record("error", kCannotUnpack);
}

// Pages expect a member that cannot be read to be told before progress 50
// and a target that cannot be written after it. The member is therefore read
// through even when nothing can be written, to know which failure it is.
void extract(const WorkerChannel& channel, const UnzipRequest& request) {
  channel.deliver(channel.record("progress", "0"));
  platform::Result<platform::FileWriter> target = platform::FileWriter::open(request.targetPath);
  const ZipRead read = readZipEntry(request.archivePath, request.memberName,
                                    [&target](const char* bytes, std::size_t size) {
                                      if (target) target->write(bytes, size);
                                    });
  if (read != ZipRead::kWhole) {
    channel.deliver(channel.record("error", kCannotUnpack));
    return;
  }
  channel.deliver(channel.record("progress", "50"));
  if (!target || !target->commit().ok()) {
    channel.deliver(channel.record("error", kCannotWrite));
    return;
  }
  channel.deliver(channel.record("progress", "100"));
  channel.deliver(channel.record("finish", request.memberName));
}

}  // namespace

// Unpack when the archive cannot be opened, holds no member, or its
// directory is damaged.
Answer getZipDir(GetZipDirCall& call) {
  std::vector<std::string> names = listZipEntries(call.archive());
  if (names.empty()) return errorAnswer(kCannotUnpack);
  Answer answer = okAnswer();
  answer.insert(answer.end(), std::make_move_iterator(names.begin()),
                std::make_move_iterator(names.end()));
  return answer;
}

// Reads the member whole into `sink`, on the GUI thread: only a member whose
// directory entry gives no more than `limit` bytes is read, and it is never
// decoded past that. The failure's answer, or nothing when the member was
// read whole and its CRC matched.
std::optional<Answer> readForAnswer(const std::string& archive, const std::string& member,
                                    std::size_t limit, const ZipChunkSink& sink) {
  const ZipRead read = readZipEntry(archive, member, sink, limit);
  if (read == ZipRead::kTooLarge) {
    return errorAnswer("member too large for an answer [more than " + std::to_string(limit) +
                       " bytes]");
  }
  if (read != ZipRead::kWhole) return errorAnswer(kCannotUnpack);
  return std::nullopt;
}

// The answer carries the content up to its first zero byte; the rest is
// still read, so that its CRC is checked.
Answer getZipEntry(GetZipEntryCall& call) {
  std::string content;
  bool ended = false;
  std::optional<Answer> failed = readForAnswer(
      call.archive(), call.member(), kMaxAnswerBytes,
      [&content, &ended](const char* bytes, std::size_t size) {
        if (ended) return;
        const auto* zero = static_cast<const char*>(std::memchr(bytes, 0, size));
        content.append(bytes, zero == nullptr ? size : static_cast<std::size_t>(zero - bytes));
        ended = zero != nullptr;
      });
  if (failed) return std::move(*failed);
  return okAnswer(std::move(content));
}

// Base64 makes four symbols of three bytes: the member may hold three
// quarters of what an answer can carry.
Answer getZipEntryBase64(GetZipEntryBase64Call& call) {
  std::string content;
  std::optional<Answer> failed =
      readForAnswer(call.archive(), call.member(), kMaxAnswerBytes / 4 * 3,
                    [&content](const char* bytes, std::size_t size) { content.append(bytes, size); });
  if (failed) return std::move(*failed);
  return okAnswer(Base64EncodeBytes(content));
}

// Answers at once, then sends the records of zip_commands.h.
Answer unzipToFile(UnzipToFileCall& call) {
  UnzipRequest request{call.archive(), call.member(), call.target()};
  const std::string& callbackId = call.callbackId();
  std::string targetPath = request.targetPath;
  const std::size_t heldBytes = callbackId.size() + request.archivePath.size() +
                                request.memberName.size() + request.targetPath.size();
  runWorker(
      platform::WorkKind::kZip, call.channel(),
      [request = std::move(request)](const WorkerChannel& channel) { extract(channel, request); },
      failureRecord, nullptr, heldBytes);
  return okAnswer(std::move(targetPath));
}

}  // namespace bridge::zip
