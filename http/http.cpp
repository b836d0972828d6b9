#include "http/http.h"

#include <utility>

#include "http/connection.h"
#include "http/request_text.h"
#include "http/response_reader.h"
#include "http/url.h"

namespace {

HttpErrorResult failure(HttpErrorKind kind, std::string message) {
  return HttpErrorResult(std::move(message), std::move(kind));
}

// Why the request cannot go out as written, checked before anything is
// resolved or connected: a line that would break in two (the rest sent as
// lines nobody wrote), or a port the system would take for another.
std::optional<HttpErrorResult> unsendable(const RequestText& request, const HttpAddr& addr) {
  if (const std::string line = request.brokenLine(); !line.empty()) {
    return failure(HttpErrorKind::send(line), "Znak końca wiersza w części żądania [" + line + "]");
  }
  if (addr.port() < 1 || addr.port() > 65535) {
    return failure(HttpErrorKind::connect(), "Problem z połączeniem [port poza zakresem: " +
                                                 std::to_string(addr.port()) + "]");
  }
  return std::nullopt;
}

}  // namespace

HttpCb::~HttpCb() = default;

Http::Http(const AnsiString& url, HttpCb* callback)
    : target_(parseAddress(url)), callback_(callback) {}

Http::~Http() = default;

void Http::setOutput(const HttpOutput& output) {
  output_ = output;
  outputFile_.reset();
}

void Http::setOutputFile(const AnsiString& path, platform::OutputFile file) {
  output_ = HttpOutput::file(path);
  outputFile_ = std::move(file);
}

void Http::setMethod(const HttpMethod& method) { method_ = method; }
void Http::setAuth(const HttpAuth& auth) { auth_ = auth; }
void Http::setParams(const HttpParams& params) { params_ = params; }
void Http::setHeaders(const HttpParams& headers) { headers_ = headers; }
void Http::setCookies(const HttpCookies& cookies) { cookies_ = cookies; }
void Http::setTimeout(int seconds) { timeout_ = seconds; }

HttpResult Http::perform() {
  HttpEmptyCb quiet;
  HttpCb& callback = callback_ != nullptr ? *callback_ : quiet;

  const RequestText request =
      composeRequest(method_, target_.addr, auth_, params_, headers_, cookies_);
  if (std::optional<HttpErrorResult> refused = unsendable(request, target_.addr)) {
    return HttpResult::error(*refused);
  }
  const bool toFile = output_.isFile();
  if (toFile && outputFile_ && !outputFile_->valid()) return outputFileFailure(output_.asFile());

  Connection connection;
  if (std::optional<HttpErrorResult> failed =
          openConnection(target_, timeout_, callback, connection)) {
    return HttpResult::error(*failed);
  }
  if (std::optional<HttpErrorResult> failed = connection.send(request, timeout_)) {
    return HttpResult::error(*failed);
  }
  platform::OutputFile file;
  if (toFile && outputFile_) {
    file = std::move(*outputFile_);
  } else if (toFile) {
    platform::Result<platform::OutputFile> opened =
        platform::OutputFile::openTruncated(output_.asFile().str());
    if (!opened) return outputFileFailure(output_.asFile());
    file = std::move(*opened);
  }
  ResponseReader reader(connection, timeout_, callback, !method_.isHead());
  if (std::optional<HttpResult> failed = reader.readHead()) return *failed;
  return reader.readBody(output_, std::move(file));
}
