#include "bridge/network/download_progress.h"

#include "http/response_head.h"

namespace bridge::network {
namespace {

bool isSuccess(const std::string& status) { return status[status.find(' ') + 1] == '2'; }

}  // namespace

std::optional<int> DownloadProgress::headers(const AnsiString& headerBlock) {
  const std::optional<std::string> status = statusLine(headerBlock);
  failing_ = !status || !isSuccess(*status);
  contentLength_ = contentLength(headerBlock);
  headerSize_ = headerBlock.Length() + 4;
  if (failing_) return std::nullopt;
  return 10;
}

std::optional<std::int64_t> DownloadProgress::read(std::int64_t received, std::int64_t now) {
  received_ = received;
  if (failing_ || headerSize_ <= 0 || now - lastReport_ <= 0) return std::nullopt;
  lastReport_ = now;
  if (contentLength_ > 0) return (received - headerSize_) * 90 / contentLength_ + 10;
  return 5;
}

std::optional<std::string> DownloadProgress::failure(const AnsiString& head) const {
  const std::optional<std::string> status = statusLine(head);
  if (!status) return "Odpowiedź bez wiersza statusu";
  if (!isSuccess(*status)) return *status;
  if (headerSize_ < 0) return "Niepełny nagłówek odpowiedzi";
  const std::int64_t body = received_ - headerSize_;
  if (body < contentLength_) {
    return "Niepełna odpowiedź [odebrano " + std::to_string(body) + " z " +
           std::to_string(contentLength_) + " bajtów]";
  }
  return std::nullopt;
}

}  // namespace bridge::network
