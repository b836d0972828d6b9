#include <cerrno>
#include <ctime>
#include <memory>
#include <random>
#include <string>
#include <utility>

#include "bridge/callback.h"
#include "bridge/commands.h"
#include "bridge/log_file.h"
#include "bridge/network/download_progress.h"
#include "bridge/network/network.h"
#include "bridge/worker.h"
#include "http/http.h"
#include "platform/directory.h"
#include "platform/output_file.h"

namespace bridge::network {
namespace {

constexpr Argument kCallbackId = describedArgument("ajaxToFile", "callbackId");
constexpr Argument kUrl = describedArgument("ajaxToFile", "url");
constexpr Argument kExtension = describedArgument("ajaxToFile", "extension");

constexpr int kTimeoutSeconds = 30;
// Names tried before the download gives up and reports the file error
// without connecting.
constexpr int kNameAttempts = 100;

// The file a download writes, created before the answer and kept open, so
// that the bytes go into the very file that was made for them.
struct DownloadFile {
  std::string path;
  platform::OutputFile file;  // not open when no file could be made
};

// A new, empty file in the temporary folder:
// <folder><YYYYMMDD-hhmmss>.<number>.<id>[.<extension>]. The number is drawn
// afresh while the name is taken, so two downloads never share a file.
// GUI thread only.
DownloadFile createDownloadFile(const std::string& callbackId, const std::string& extension) {
  static std::mt19937 numbers{std::random_device{}()};
  std::uniform_int_distribution<int> draw(0, 32767);
  const std::string stamp = platform::tempFolder() + timeStamp(std::time(nullptr)) + ".";
  const std::string suffix = "." + callbackId + (extension.empty() ? "" : "." + extension);
  DownloadFile download;
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    download.path = stamp + std::to_string(draw(numbers)) + suffix;
    platform::Result<platform::OutputFile> made = platform::OutputFile::createNew(download.path);
    if (made) download.file = std::move(*made);
    if (made || made.status().code() != EEXIST) break;
  }
  return download;
}

// Turns the engine's steps into progress records (download_progress.h).
class AjaxCb : public HttpCb {
 public:
  explicit AjaxCb(const WorkerChannel& channel)
      : channel_(channel), progress_(std::time(nullptr)) {}

  void step(const HttpStep& step) override {
    const HttpStepKind& kind = step.kind();
    if (kind.isHeaders()) {
      if (const auto percent = progress_.headers(kind.asHeaders())) {
        channel_.deliver(channel_.record("progress", std::to_string(*percent)));
      }
    } else if (kind.isRead()) {
      const std::int64_t received = count_.follow(kind.asRead());
      if (const auto percent = progress_.read(received, std::time(nullptr))) {
        channel_.deliver(channel_.record("progress", std::to_string(*percent)));
      }
    }
  }

  // Only the log hears of a hop; the next hop's head restarts the progress.
  void redirected(const std::string& status, const std::string& url) override {
    postLog("ajaxToFile [" + channel_.callbackId() + "]: " + status + " -> " + url);
    count_ = ReadCount();
  }

  std::optional<std::string> failure(const AnsiString& head) const {
    return progress_.failure(head);
  }

 private:
  const WorkerChannel& channel_;
  DownloadProgress progress_;
  ReadCount count_;
};

void download(const WorkerChannel& channel, const std::string& url, DownloadFile target) {
  channel.deliver(channel.record("progress", "0"));
  AjaxCb callback(channel);
  Http http(url, &callback);
  http.setOutputFile(target.path, std::move(target.file));
  http.setTimeout(kTimeoutSeconds);
  http.setFollowRedirects(true);
  const HttpResult result = http.perform();
  if (result.isError()) {
    channel.deliver(errorRecord(channel, "Problem HTTP: " + result.asError().msg().str()));
  } else if (!result.isFile()) {
    channel.deliver(errorRecord(channel, "Nieznany problem."));
  } else if (const auto failure = callback.failure(result.asFile().headers())) {
    channel.deliver(errorRecord(channel, "Problem HTTP: " + *failure));
  } else {
    channel.deliver(channel.record("progress", "100"));
    channel.deliver(channel.record("finish", target.path));
  }
}

}  // namespace

Answer ajaxToFile(CommandContext& context) {
  const std::string callbackId = context.arg(kCallbackId);
  const std::string url = context.arg(kUrl);
  DownloadFile target = createDownloadFile(callbackId, context.arg(kExtension));
  const std::string path = target.path;
  // The work is copied as a std::function; the open file goes along shared.
  auto shared = std::make_shared<DownloadFile>(std::move(target));
  runWorker(
      platform::WorkKind::kNetwork, WorkerChannel(context.page, callbackId, "ajaxToFile"),
      [url, shared](const WorkerChannel& channel) { download(channel, url, std::move(*shared)); },
      errorRecord);
  return okAnswer(path);
}

}  // namespace bridge::network
