#include "bridge/network/download.h"

#include <cstdint>
#include <ctime>
#include <utility>

#include "bridge/network/download_progress.h"
#include "http/http.h"

namespace bridge::network {
namespace {

// The engine's words for a receive that waited too long: a peer too slow to
// keep its worker fails as one that fell silent.
constexpr char kTimeoutMessage[] = "TIMEOUT - problem przy odbieraniu danych.";

// Thrown from a step to leave the engine: it owns its socket and file, so
// both are closed on the way out.
struct TooSlow {};

// Turns the engine's steps into percentages, keeps the file once a byte of
// the response has come, and ends a transfer that falls below its floor.
class DownloadSteps : public HttpCb {
 public:
  DownloadSteps(platform::ReservedFile& target,
                const std::function<void(const std::string&)>& report, FloorRule floor)
      : target_(target),
        report_(report),
        progress_(std::time(nullptr)),
        floor_(floor, TransferFloor::Clock::now()) {}

  void step(const HttpStep& step) override {
    const HttpStepKind& kind = step.kind();
    if (kind.isHeaders() || kind.isRead()) target_.keep();  // a byte of the response came
    if (kind.isHeaders()) {
      if (const auto percent = progress_.headers(kind.asHeaders())) {
        report_(std::to_string(*percent));
      }
    } else if (kind.isRead()) {
      const std::int64_t received = count_.follow(kind.asRead());
      if (!floor_.holds(received, TransferFloor::Clock::now())) throw TooSlow();
      if (const auto percent = progress_.read(received, std::time(nullptr))) {
        report_(std::to_string(*percent));
      }
    }
  }

  std::optional<std::string> failure(const AnsiString& head) const {
    return progress_.failure(head);
  }

 private:
  platform::ReservedFile& target_;
  const std::function<void(const std::string&)>& report_;
  DownloadProgress progress_;
  ReadCount count_;
  TransferFloor floor_;
};

// The reserved file opened for the engine; one not open makes the engine
// fail with its file error before it connects.
platform::OutputFile openTarget(const platform::ReservedFile& target) {
  if (!target.valid()) return platform::OutputFile();
  platform::Result<platform::OutputFile> opened = target.open();
  return opened ? std::move(*opened) : platform::OutputFile();
}

// The engine's result, or its timeout failure for a transfer that fell
// below its floor.
HttpResult perform(Http& http) {
  try {
    return http.perform();
  } catch (const TooSlow&) {
    return HttpResult::error(HttpErrorResult(kTimeoutMessage, HttpErrorKind::recv()));
  }
}

std::optional<std::string> failureOf(const HttpResult& result, const DownloadSteps& steps) {
  if (result.isError()) return "Problem HTTP: " + result.asError().msg().str();
  if (!result.isFile()) return std::string("Nieznany problem.");
  if (const auto failure = steps.failure(result.asFile().headers())) {
    return "Problem HTTP: " + *failure;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> download(const std::string& url, const std::string& path,
                                    platform::ReservedFile target,
                                    const std::function<void(const std::string&)>& report,
                                    FloorRule floor) {
  DownloadSteps steps(target, report, floor);
  Http http(url, &steps);
  http.setOutputFile(path, openTarget(target));
  http.setTimeout(kDownloadWaitSeconds);
  const std::optional<std::string> failure = failureOf(perform(http), steps);
  target.remove();  // unless a byte of the response came
  return failure;
}

}  // namespace bridge::network
