#include "http/response_reader.h"

#include <cstdint>
#include <cstdio>
#include <memory>

#include "runtime/lookup_buffer.h"

namespace {

constexpr std::size_t kPiece = 65536;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

HttpResult failure(HttpErrorKind kind, const std::string& message) {
  return HttpResult::error(HttpErrorResult(message, std::move(kind)));
}

HttpResult writeFailure(const AnsiString& path) {
  return failure(HttpErrorKind::file(), "Problem przy zapisywaniu danych [" + path.str() + "]");
}

HttpResult receiveFailure() {
  return failure(HttpErrorKind::recv(),
                 "Problem przy odbieraniu danych [" + platform::socketErrorText() + "]");
}

bool writeAll(std::FILE* file, const char* bytes, std::size_t count) {
  return count == 0 || std::fwrite(bytes, 1, count, file) == count;
}

}  // namespace

HttpResult readResponse(platform::TcpSocket socket, const HttpOutput& output, int timeoutSeconds,
                        HttpCb& callback) {
  const bool toFile = output.isFile();
  const AnsiString path = toFile ? output.asFile() : AnsiString();
  File file;
  if (toFile) {
    // "e": the descriptor is not inherited by programs the shell starts.
    file.reset(std::fopen(path.CStr(), "wbe"));
    if (!file) return writeFailure(path);
  }

  LookupBuffer split("\r\n\r\n");
  bool headComplete = false;
  std::uint64_t received = 0;
  const std::unique_ptr<char[]> piece(new char[kPiece]);
  for (;;) {
    if (timeoutSeconds > 0) {
      const platform::WaitResult waited = socket.waitReadable(timeoutSeconds);
      if (waited == platform::WaitResult::kFailed) return receiveFailure();
      if (waited == platform::WaitResult::kTimedOut) {
        return failure(HttpErrorKind::recv(), "TIMEOUT - problem przy odbieraniu danych.");
      }
    }
    const long count = socket.receive(piece.get(), kPiece);
    if (count < 0) return receiveFailure();
    if (count == 0) break;

    if (headComplete && toFile) {
      if (!writeAll(file.get(), piece.get(), static_cast<std::size_t>(count))) {
        return writeFailure(path);
      }
    } else if (split.Feed(piece.get(), static_cast<int>(count))) {
      if (toFile) {
        const AnsiString early = split.Body();
        if (!writeAll(file.get(), early.CStr(), static_cast<std::size_t>(early.Length()))) {
          return writeFailure(path);
        }
      }
      callback.step(HttpStep("Odczytano nagłówki zapytania", HttpStepKind::headers(split.Head())));
      headComplete = true;
    }
    received += static_cast<std::uint64_t>(count);
    // Wraps round past 2 GiB; see HttpCb.
    callback.step(HttpStep("Odczyt danych", HttpStepKind::read(static_cast<int>(
                                                static_cast<std::uint32_t>(received)))));
  }

  socket.close();
  // A response that ends without a blank line is all head.
  const AnsiString head = headComplete ? split.Head() : split.Head() + split.Held();
  if (!toFile) return HttpResult::body(HttpBodyResult(head, headComplete ? split.Body() : ""));
  if (std::fclose(file.release()) != 0) return writeFailure(path);
  return HttpResult::file(HttpFileResult(head, path));
}
