#include "http/response_reader.h"

#include <cerrno>
#include <cstdint>
#include <memory>

#include "runtime/lookup_buffer.h"

namespace {

constexpr std::size_t kPiece = 65536;

HttpResult failure(HttpErrorKind kind, const std::string& message) {
  return HttpResult::error(HttpErrorResult(message, std::move(kind)));
}

HttpResult receiveFailure(const platform::Status& status) {
  return failure(HttpErrorKind::recv(), "Problem przy odbieraniu danych [" + status.reason() + "]");
}

HttpResult headTooLong() {
  return failure(HttpErrorKind::recv(), "Zbyt długi nagłówek odpowiedzi [ponad " +
                                            std::to_string(kMaxHeadBytes) + " bajtów]");
}

}  // namespace

HttpResult outputFileFailure(const AnsiString& path) {
  return failure(HttpErrorKind::file(), "Problem przy zapisywaniu danych [" + path.str() + "]");
}

HttpResult readResponse(platform::TcpSocket socket, const HttpOutput& output,
                        platform::OutputFile file, int timeoutSeconds, HttpCb& callback) {
  const bool toFile = output.isFile();
  const AnsiString path = toFile ? output.asFile() : AnsiString();

  LookupBuffer split("\r\n\r\n");
  bool headComplete = false;
  std::uint64_t received = 0;
  const std::unique_ptr<char[]> piece(new char[kPiece]);
  for (;;) {
    if (timeoutSeconds > 0) {
      const platform::Status waited = socket.waitReadable(timeoutSeconds);
      if (waited.code() == ETIMEDOUT) {
        return failure(HttpErrorKind::recv(), "TIMEOUT - problem przy odbieraniu danych.");
      }
      if (!waited.ok()) return receiveFailure(waited);
    }
    const platform::Result<std::size_t> arrived = socket.receive(piece.get(), kPiece);
    if (!arrived) return receiveFailure(arrived.status());
    const std::size_t count = *arrived;
    if (count == 0) break;

    if (headComplete) {
      if (!toFile) {
        split.Feed(piece.get(), static_cast<int>(count));
      } else if (!file.writeAll(piece.get(), count).ok()) {
        return outputFileFailure(path);
      }
    } else if (split.Feed(piece.get(), static_cast<int>(count))) {
      const AnsiString head = split.Head();
      if (static_cast<std::size_t>(head.Length()) > kMaxHeadBytes) return headTooLong();
      if (toFile) {
        const AnsiString early = split.Body();
        if (!file.writeAll(early.CStr(), static_cast<std::size_t>(early.Length())).ok()) {
          return outputFileFailure(path);
        }
      }
      callback.step(HttpStep("Odczytano nagłówki zapytania", HttpStepKind::headers(head)));
      headComplete = true;
    } else if (received + static_cast<std::uint64_t>(count) > kMaxHeadBytes + 3) {
      // Not even the separator's first bytes can make the head short enough.
      return headTooLong();
    }
    received += static_cast<std::uint64_t>(count);
    // Wraps round past 2 GiB; see HttpCb.
    callback.step(HttpStep("Odczyt danych", HttpStepKind::read(static_cast<int>(
                                                static_cast<std::uint32_t>(received)))));
  }

  socket.close();
  // A response that ends without a blank line is all head.
  if (!headComplete && received > kMaxHeadBytes) return headTooLong();
  const AnsiString head = headComplete ? split.Head() : split.Head() + split.Held();
  if (!toFile) return HttpResult::body(HttpBodyResult(head, headComplete ? split.Body() : ""));
  if (!file.close().ok()) return outputFileFailure(path);
  return HttpResult::file(HttpFileResult(head, path));
}
