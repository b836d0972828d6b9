#include "http/http.h"

#include <utility>

#include "http/request_text.h"
#include "http/response_reader.h"
#include "http/url.h"
#include "platform/tcp_socket.h"

namespace {

HttpErrorResult failure(HttpErrorKind kind, std::string message) {
  return HttpErrorResult(std::move(message), std::move(kind));
}

// Resolves, opens and connects within `timeoutSeconds`, reporting each step
// done. `socket` holds the connection when the result is `ok` (its
// descriptor), and nothing otherwise.
HttpConnectResult connectTo(const HttpAddr& addr, int timeoutSeconds, HttpCb& callback,
                            platform::TcpSocket& socket) {
  const std::optional<platform::Ipv4Address> address = platform::resolveIpv4(addr.host().str());
  if (!address) {
    return HttpConnectResult::error(
        failure(HttpErrorKind::dns(), "Problem z DNS dla hosta [" + addr.host().str() + "]"));
  }
  callback.step(HttpStep("DNS", HttpStepKind::dns()));
  platform::Result<platform::TcpSocket> opened = platform::TcpSocket::open();
  if (!opened) {
    return HttpConnectResult::error(
        failure(HttpErrorKind::socket(), "Nie można utworzyć połączenia"));
  }
  socket = std::move(*opened);
  callback.step(HttpStep("Socket", HttpStepKind::socket()));
  if (const platform::Status connected = socket.connect(*address, addr.port(), timeoutSeconds);
      !connected.ok()) {
    socket.close();
    return HttpConnectResult::error(
        failure(HttpErrorKind::connect(), "Problem z połączeniem [" + connected.reason() + "]"));
  }
  callback.step(HttpStep("Connect", HttpStepKind::connect()));
  return HttpConnectResult::ok(socket.descriptor());
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

Http::Http(const AnsiString& url, HttpCb* callback) : addr_(parseUrl(url)), callback_(callback) {}

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

  const RequestText request = composeRequest(method_, addr_, auth_, params_, headers_, cookies_);
  if (std::optional<HttpErrorResult> refused = unsendable(request, addr_)) {
    return HttpResult::error(*refused);
  }
  const bool toFile = output_.isFile();
  if (toFile && outputFile_ && !outputFile_->valid()) return outputFileFailure(output_.asFile());

  platform::TcpSocket socket;
  const HttpConnectResult connected = connectTo(addr_, timeout_, callback, socket);
  if (connected.isError()) return HttpResult::error(connected.asError());

  std::size_t sent = 0;
  if (!socket.sendAll(request.bytes.data(), request.bytes.size(), timeout_, &sent).ok()) {
    return HttpResult::error(
        failure(HttpErrorKind::send(request.partAt(sent)), "Problem podczas wysyłania danych"));
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
  return readResponse(std::move(socket), output_, std::move(file), timeout_, callback);
}
