#include <ctime>
#include <random>
#include <string>

#include "bridge/commands.h"
#include "bridge/log_file.h"
#include "bridge/network/download_progress.h"
#include "bridge/network/network.h"
#include "bridge/worker.h"
#include "http/http.h"
#include "platform/directory.h"

namespace bridge::network {
namespace {

constexpr Argument kCallbackId = describedArgument("ajaxToFile", "callbackId");
constexpr Argument kUrl = describedArgument("ajaxToFile", "url");
constexpr Argument kExtension = describedArgument("ajaxToFile", "extension");

constexpr int kTimeoutSeconds = 30;
// Names tried before the download goes ahead with the last one drawn (and
// reports the file error the engine then meets).
constexpr int kNameAttempts = 100;

// A new, empty file in the temporary folder:
// <folder><YYYYMMDD-hhmmss>.<number>.<id>[.<extension>]. The number is drawn
// afresh while the name is taken, so two downloads never share a file.
// GUI thread only.
std::string createDownloadFile(const std::string& callbackId, const std::string& extension) {
  static std::mt19937 numbers{std::random_device{}()};
  std::uniform_int_distribution<int> draw(0, 32767);
  const std::string stamp = platform::tempFolder() + timeStamp(std::time(nullptr)) + ".";
  const std::string suffix = "." + callbackId + (extension.empty() ? "" : "." + extension);
  std::string path;
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    path = stamp + std::to_string(draw(numbers)) + suffix;
    if (platform::createNewFile(path) != platform::NewFile::kExists) break;
  }
  return path;
}

// Turns the engine's steps into progress records (download_progress.h).
class AjaxCb : public HttpCb {
 public:
  explicit AjaxCb(const WorkerChannel& channel)
      : channel_(channel), progress_(std::time(nullptr)) {}

  void step(const HttpStep& step) override {
    const HttpStepKind& kind = step.kind();
    if (kind.isHeaders()) {
      const int percent = progress_.headers(kind.asHeaders());
      channel_.deliver(channel_.record("progress", std::to_string(percent)));
    } else if (kind.isRead()) {
      const std::int64_t received = count_.follow(kind.asRead());
      if (const auto percent = progress_.read(received, std::time(nullptr))) {
        channel_.deliver(channel_.record("progress", std::to_string(*percent)));
      }
    }
  }

 private:
  const WorkerChannel& channel_;
  DownloadProgress progress_;
  ReadCount count_;
};

void download(const WorkerChannel& channel, const std::string& url, const std::string& path) {
  channel.deliver(channel.record("progress", "0"));
  AjaxCb callback(channel);
  Http http(url, &callback);
  http.setOutput(HttpOutput::file(path));
  http.setTimeout(kTimeoutSeconds);
  const HttpResult result = http.perform();
  if (result.isFile()) {
    channel.deliver(channel.record("progress", "100"));
    channel.deliver(channel.record("finish", path));
  } else if (result.isError()) {
    channel.deliver(channel.record("error", "Problem HTTP: " + result.asError().msg().str()));
  } else {
    channel.deliver(channel.record("error", "Nieznany problem."));
  }
}

}  // namespace

Answer ajaxToFile(CommandContext& context) {
  const std::string callbackId = context.arg(kCallbackId);
  const std::string url = context.arg(kUrl);
  const std::string path = createDownloadFile(callbackId, context.arg(kExtension));
  runWorker(
      WorkerChannel(context.page, callbackId, "ajaxToFile"),
      [url, path](const WorkerChannel& channel) { download(channel, url, path); }, errorRecord);
  return okAnswer(path);
}

}  // namespace bridge::network
