#include "http/http.h"

#include <utility>

#include "http/connection.h"
#include "http/redirect.h"
#include "http/request_text.h"
#include "http/response_head.h"
#include "http/response_reader.h"
#include "http/url.h"

namespace {

HttpErrorResult failure(HttpErrorKind kind, std::string message) {
  return HttpErrorResult(std::move(message), std::move(kind));
}

// Why the request cannot go out as written, checked before anything is
// resolved or connected: a line that would break in two (the rest sent as
// lines nobody wrote), or a port that names none.
std::optional<HttpErrorResult> unsendable(const RequestText& request, const WebAddress& target) {
  if (const std::string line = request.brokenLine(); !line.empty()) {
    return failure(HttpErrorKind::send(line), "Znak końca wiersza w części żądania [" + line + "]");
  }
  if (!target.badPort.empty()) {
    return failure(HttpErrorKind::connect(),
                   "Problem z połączeniem [port poza zakresem: " + target.badPort + "]");
  }
  return std::nullopt;
}

}  // namespace

void HttpCb::redirected(const std::string&, const std::string&) {}

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
void Http::setFollowRedirects(bool follow) { followRedirects_ = follow; }

std::optional<HttpResult> Http::takeOutputFile(platform::OutputFile& file) {
  if (outputFile_) {
    file = std::move(*outputFile_);
    outputFile_.reset();
    return std::nullopt;
  }
  platform::Result<platform::OutputFile> opened =
      platform::OutputFile::openTruncated(output_.asFile().str());
  if (!opened) return outputFileFailure(output_.asFile());
  file = std::move(*opened);
  return std::nullopt;
}

HttpResult Http::perform() {
  HttpEmptyCb quiet;
  HttpCb& callback = callback_ != nullptr ? *callback_ : quiet;
  const bool toFile = output_.isFile();
  platform::OutputFile file;
  bool fileOpen = !toFile;
  RedirectTrail trail(target_);
  for (;;) {
    const WebAddress target = trail.current();
    const bool firstOrigin = target.secure == target_.secure &&
                             target.addr.host() == target_.addr.host() &&
                             target.addr.port() == target_.addr.port();
    const RequestText request =
        composeRequest(method_, target, firstOrigin ? auth_ : HttpAuth::none(), params_, headers_,
                       firstOrigin ? cookies_ : HttpCookies());
    if (std::optional<HttpErrorResult> refused = unsendable(request, target)) {
      return HttpResult::error(*refused);
    }
    if (toFile && outputFile_ && !outputFile_->valid()) return outputFileFailure(output_.asFile());

    Connection connection;
    if (std::optional<HttpErrorResult> failed =
            openConnection(target, timeout_, callback, connection)) {
      return HttpResult::error(*failed);
    }
    if (std::optional<HttpErrorResult> failed = connection.send(request, timeout_)) {
      return HttpResult::error(*failed);
    }
    if (!fileOpen) {
      if (std::optional<HttpResult> failed = takeOutputFile(file)) return *failed;
      fileOpen = true;
    }
    ResponseReader reader(connection, timeout_, callback, !method_.isHead());
    if (std::optional<HttpResult> failed = reader.readHead()) return *failed;
    const std::optional<std::string> location =
        followRedirects_ && !method_.isPost() ? redirectLocation(reader.head()) : std::nullopt;
    if (!location) return reader.readBody(output_, std::move(file));

    connection.close();
    if (std::optional<std::string> refused = trail.follow(*location)) {
      return HttpResult::error(HttpErrorResult(*refused, HttpErrorKind::recv()));
    }
    callback.redirected(statusLine(reader.head()).value_or(""), trail.current().text());
  }
}
