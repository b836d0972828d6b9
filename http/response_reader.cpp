#include "http/response_reader.h"

#include <algorithm>

#include "http/response_head.h"

namespace {

constexpr std::size_t kPiece = 65536;

HttpResult headTooLong() {
  return HttpResult::error(HttpErrorResult(
      "Zbyt długi nagłówek odpowiedzi [ponad " + std::to_string(kMaxHeadBytes) + " bajtów]",
      HttpErrorKind::recv()));
}

}  // namespace

HttpResult outputFileFailure(const AnsiString& path) {
  return HttpResult::error(HttpErrorResult("Problem przy zapisywaniu danych [" + path.str() + "]",
                                           HttpErrorKind::file()));
}

ResponseReader::ResponseReader(Connection& connection, int timeoutSeconds, HttpCb& callback,
                               bool lengthHolds)
    : connection_(connection),
      timeoutSeconds_(timeoutSeconds),
      callback_(callback),
      lengthHolds_(lengthHolds),
      piece_(new char[kPiece]) {}

void ResponseReader::reportRead() {
  // Wraps round past 2 GiB; see HttpCb.
  callback_.step(HttpStep("Odczyt danych", HttpStepKind::read(static_cast<int>(
                                               static_cast<std::uint32_t>(received_)))));
}

std::size_t ResponseReader::withinBody(std::size_t count) const {
  if (bodyLength_ < 0) return count;
  return static_cast<std::size_t>(
      std::min<std::int64_t>(static_cast<std::int64_t>(count), bodyLength_ - bodyReceived_));
}

std::optional<HttpResult> ResponseReader::readHead() {
  while (!headComplete_) {
    const Received arrived = connection_.receive(piece_.get(), kPiece, timeoutSeconds_);
    if (arrived.failure) return HttpResult::error(*arrived.failure);
    const std::size_t count = arrived.count;
    if (count == 0) {
      ended_ = true;
      // A response that ends without a blank line is all head.
      if (received_ > kMaxHeadBytes) return headTooLong();
      return std::nullopt;
    }
    if (split_.Feed(piece_.get(), static_cast<int>(count))) {
      const AnsiString head = split_.Head();
      if (static_cast<std::size_t>(head.Length()) > kMaxHeadBytes) return headTooLong();
      headComplete_ = true;
      if (lengthHolds_) bodyLength_ = std::max<std::int64_t>(contentLength(head), -1);
      const AnsiString body = split_.Body();
      const std::string& early = body.str();
      early_ = early.substr(0, withinBody(early.size()));
      bodyReceived_ = static_cast<std::int64_t>(early_.size());
      received_ += count - (early.size() - early_.size());
      callback_.step(HttpStep("Odczytano nagłówki zapytania", HttpStepKind::headers(head)));
    } else if (received_ + static_cast<std::uint64_t>(count) > kMaxHeadBytes + 3) {
      // Not even the separator's first bytes can make the head short enough.
      return headTooLong();
    } else {
      received_ += count;
    }
    reportRead();
  }
  return std::nullopt;
}

AnsiString ResponseReader::head() const {
  return headComplete_ ? split_.Head() : split_.Head() + split_.Held();
}

HttpResult ResponseReader::readBody(const HttpOutput& output, platform::OutputFile file) {
  const bool toFile = output.isFile();
  const AnsiString path = toFile ? output.asFile() : AnsiString();
  std::string body;
  const auto keep = [&](const char* bytes, std::size_t count) {
    if (!toFile) {
      body.append(bytes, count);
      return true;
    }
    return file.writeAll(bytes, count).ok();
  };
  if (!keep(early_.data(), early_.size())) return outputFileFailure(path);
  early_.clear();
  while (!ended_ && (bodyLength_ < 0 || bodyReceived_ < bodyLength_)) {
    const Received arrived = connection_.receive(piece_.get(), kPiece, timeoutSeconds_);
    if (arrived.failure) return HttpResult::error(*arrived.failure);
    if (arrived.count == 0) break;
    const std::size_t count = withinBody(arrived.count);
    if (!keep(piece_.get(), count)) return outputFileFailure(path);
    bodyReceived_ += static_cast<std::int64_t>(count);
    received_ += count;
    reportRead();
  }

  connection_.close();
  if (!toFile) return HttpResult::body(HttpBodyResult(head(), std::move(body)));
  if (!file.close().ok()) return outputFileFailure(path);
  return HttpResult::file(HttpFileResult(head(), path));
}
