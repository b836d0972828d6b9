#include <cerrno>
#include <ctime>
#include <memory>
#include <random>
#include <string>
#include <utility>

#include "bridge/callback.h"
#include "bridge/log_file.h"
#include "bridge/network/download.h"
#include "bridge/network/network.h"
#include "bridge/worker.h"
#include "platform/directory.h"
#include "platform/reserved_file.h"

namespace bridge::network {
namespace {

// Names tried before the download gives up and reports the file error
// without connecting.
constexpr int kNameAttempts = 100;

// The file a download writes, reserved before the answer so that the
// answered path is the download's alone, whether it runs now or waits.
struct DownloadFile {
  std::string path;
  platform::ReservedFile file;  // holds none when no file could be made
};

// A new, empty file in the temporary folder:
// <folder><YYYYMMDD-hhmmss>.<number>.<id>[.<extension>]. The number is drawn
// afresh while the name is taken, so two downloads never share a file.
// GUI thread only.
DownloadFile reserveDownloadFile(const std::string& callbackId, const std::string& extension) {
  static std::mt19937 numbers{std::random_device{}()};
  std::uniform_int_distribution<int> draw(0, 32767);
  const std::string stamp = platform::tempFolder() + timeStamp(std::time(nullptr)) + ".";
  const std::string suffix = "." + callbackId + (extension.empty() ? "" : "." + extension);
  DownloadFile download;
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    download.path = stamp + std::to_string(draw(numbers)) + suffix;
    platform::Result<platform::ReservedFile> made = platform::ReservedFile::create(download.path);
    if (made) download.file = std::move(*made);
    if (made || made.status().code() != EEXIST) break;
  }
  return download;
}

void fetch(const WorkerChannel& channel, const std::string& url, DownloadFile target) {
  channel.deliver(channel.record("progress", "0"));
  const std::optional<std::string> failure =
      download(url, target.path, std::move(target.file), channel.callbackId(),
               [&channel](const std::string& percent) {
                 channel.deliver(channel.record("progress", percent));
               });
  if (failure) {
    channel.deliver(errorRecord(channel, *failure));
    return;
  }
  channel.deliver(channel.record("progress", "100"));
  channel.deliver(channel.record("finish", target.path));
}

}  // namespace

// Downloads the URL over HTTP/1.0, plain or over TLS and following
// redirects, into a new file in the temporary folder, created before the
// answer so that no two downloads share it, and closed until the download
// runs (download.h). The file stays once a byte of a response came, also
// after a failure; without one it is removed.
Answer ajaxToFile(AjaxToFileCall& call) {
  const std::string url = call.url();
  DownloadFile target = reserveDownloadFile(call.callbackId(), call.extension());
  const std::string path = target.path;
  // The work is copied as a std::function; the reservation goes along
  // shared, and a download the queue refuses takes its file with it.
  auto shared = std::make_shared<DownloadFile>(std::move(target));
  runWorker(
      platform::WorkKind::kNetwork, call.channel(),
      [url, shared](const WorkerChannel& channel) { fetch(channel, url, std::move(*shared)); },
      errorRecord, nullptr, url.size());
  return okAnswer(path);
}

}  // namespace bridge::network
