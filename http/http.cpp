#include "http/http.h"

#include <utility>

#include "http/request_text.h"
#include "http/response_reader.h"
#include "http/url.h"
#include "platform/tcp_socket.h"

namespace {

HttpErrorResult connectFailure(HttpErrorKind kind, std::string message) {
  return HttpErrorResult(std::move(message), std::move(kind));
}

// Resolves, opens and connects, reporting each step done. `socket` holds
// the connection when the result is `ok` (its descriptor), and nothing
// otherwise.
HttpConnectResult connectTo(const HttpAddr& addr, HttpCb& callback, platform::TcpSocket& socket) {
  const std::optional<platform::Ipv4Address> address = platform::resolveIpv4(addr.host().str());
  if (!address) {
    return HttpConnectResult::error(
        connectFailure(HttpErrorKind::dns(), "Problem z DNS dla hosta [" + addr.host().str() + "]"));
  }
  callback.step(HttpStep("DNS", HttpStepKind::dns()));
  socket = platform::TcpSocket::open();
  if (!socket.valid()) {
    return HttpConnectResult::error(
        connectFailure(HttpErrorKind::socket(), "Nie można utworzyć połączenia"));
  }
  callback.step(HttpStep("Socket", HttpStepKind::socket()));
  if (!socket.connect(*address, addr.port())) {
    const std::string text = platform::socketErrorText();
    socket.close();
    return HttpConnectResult::error(
        connectFailure(HttpErrorKind::connect(), "Problem z połączeniem [" + text + "]"));
  }
  callback.step(HttpStep("Connect", HttpStepKind::connect()));
  return HttpConnectResult::ok(socket.descriptor());
}

}  // namespace

HttpCb::~HttpCb() = default;

Http::Http(const AnsiString& url, HttpCb* callback) : addr_(parseUrl(url)), callback_(callback) {}

Http::~Http() = default;

void Http::setOutput(const HttpOutput& output) { output_ = output; }
void Http::setMethod(const HttpMethod& method) { method_ = method; }
void Http::setAuth(const HttpAuth& auth) { auth_ = auth; }
void Http::setParams(const HttpParams& params) { params_ = params; }
void Http::setHeaders(const HttpParams& headers) { headers_ = headers; }
void Http::setCookies(const HttpCookies& cookies) { cookies_ = cookies; }
void Http::setTimeout(int seconds) { timeout_ = seconds; }

HttpResult Http::perform() {
  HttpEmptyCb quiet;
  HttpCb& callback = callback_ != nullptr ? *callback_ : quiet;

  platform::TcpSocket socket;
  const HttpConnectResult connected = connectTo(addr_, callback, socket);
  if (connected.isError()) return HttpResult::error(connected.asError());

  const RequestText request = composeRequest(method_, addr_, auth_, params_, headers_, cookies_);
  const std::size_t sent = socket.sendAll(request.bytes.data(), request.bytes.size());
  if (sent < request.bytes.size()) {
    return HttpResult::error(HttpErrorResult("Problem podczas wysyłania danych",
                                             HttpErrorKind::send(request.partAt(sent))));
  }
  return readResponse(std::move(socket), output_, timeout_, callback);
}
