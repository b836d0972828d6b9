#include "http/connection.h"

#include <cerrno>
#include <string>
#include <utility>

namespace {

HttpErrorResult failure(HttpErrorKind kind, std::string message) {
  return HttpErrorResult(std::move(message), std::move(kind));
}

HttpErrorResult receiveFailure(const std::string& reason) {
  return failure(HttpErrorKind::recv(), "Problem przy odbieraniu danych [" + reason + "]");
}

HttpErrorResult receiveTimeout() {
  return failure(HttpErrorKind::recv(), "TIMEOUT - problem przy odbieraniu danych.");
}

HttpErrorResult receiveFailure(const platform::Status& status) {
  return status.code() == ETIMEDOUT ? receiveTimeout() : receiveFailure(status.reason());
}

HttpErrorResult handshakeFailure(const platform::TlsStatus& status, const std::string& host) {
  const std::string named = "hosta [" + host + "] ";
  const std::string reason = " [" + status.reason() + "]";
  switch (status.failure()) {
    case platform::TlsFailure::kTimeout:
      return failure(HttpErrorKind::connect(),
                     "TIMEOUT - problem z uzgodnieniem TLS z hostem [" + host + "]");
    case platform::TlsFailure::kUntrusted:
      return failure(HttpErrorKind::connect(), "Certyfikat " + named + "nie jest zaufany" + reason);
    case platform::TlsFailure::kNotValidNow:
      return failure(HttpErrorKind::connect(),
                     "Certyfikat " + named + "wygasł lub nie jest jeszcze ważny" + reason);
    case platform::TlsFailure::kOtherName:
      return failure(HttpErrorKind::connect(),
                     "Certyfikat " + named + "wystawiono dla innej nazwy" + reason);
    default:
      return failure(HttpErrorKind::connect(),
                     "Problem z uzgodnieniem TLS z hostem [" + host + "]" + reason);
  }
}

}  // namespace

void Connection::close() {
  if (session_) session_->close();
  socket_.close();
}

std::optional<HttpErrorResult> Connection::send(const RequestText& request, int timeoutSeconds) {
  std::size_t sent = 0;
  const bool done =
      session_
          ? session_->sendAll(request.bytes.data(), request.bytes.size(), timeoutSeconds, &sent)
                .ok()
          : socket_.sendAll(request.bytes.data(), request.bytes.size(), timeoutSeconds, &sent).ok();
  if (done) return std::nullopt;
  return failure(HttpErrorKind::send(request.partAt(sent)), "Problem podczas wysyłania danych");
}

Received Connection::receive(char* buffer, std::size_t capacity, int timeoutSeconds) {
  if (session_) {
    std::size_t count = 0;
    const platform::TlsStatus status = session_->receive(buffer, capacity, timeoutSeconds, &count);
    switch (status.failure()) {
      case platform::TlsFailure::kNone: return {count, std::nullopt};
      case platform::TlsFailure::kTimeout: return {0, receiveTimeout()};
      case platform::TlsFailure::kUnended:
        return {0, failure(HttpErrorKind::recv(),
                           "Host [" + host_ + "] zamknął połączenie bez zakończenia sesji TLS")};
      default: return {0, receiveFailure(status.reason())};
    }
  }
  if (timeoutSeconds > 0) {
    const platform::Status waited = socket_.waitReadable(timeoutSeconds);
    if (!waited.ok()) return {0, receiveFailure(waited)};
  }
  const platform::Result<std::size_t> arrived = socket_.receive(buffer, capacity);
  if (!arrived) return {0, receiveFailure(arrived.status())};
  return {*arrived, std::nullopt};
}

std::optional<HttpErrorResult> openConnection(const WebAddress& target, int timeoutSeconds,
                                              HttpCb& callback, Connection& connection) {
  const HttpAddr& addr = target.addr;
  const std::optional<platform::Ipv4Address> address = platform::resolveIpv4(addr.host().str());
  if (!address) {
    return failure(HttpErrorKind::dns(), "Problem z DNS dla hosta [" + addr.host().str() + "]");
  }
  callback.step(HttpStep("DNS", HttpStepKind::dns()));
  platform::Result<platform::TcpSocket> opened = platform::TcpSocket::open();
  if (!opened) return failure(HttpErrorKind::socket(), "Nie można utworzyć połączenia");
  callback.step(HttpStep("Socket", HttpStepKind::socket()));
  if (const platform::Status connected = opened->connect(*address, addr.port(), timeoutSeconds);
      !connected.ok()) {
    return failure(HttpErrorKind::connect(), "Problem z połączeniem [" + connected.reason() + "]");
  }
  callback.step(HttpStep("Connect", HttpStepKind::connect()));
  if (!target.secure) {
    connection = Connection(std::move(*opened));
    return std::nullopt;
  }
  platform::TlsStream session(std::move(*opened));
  const platform::TlsStatus made = session.handshake(addr.host().str(), timeoutSeconds);
  if (!made.ok()) return handshakeFailure(made, addr.host().str());
  connection = Connection(std::move(session), addr.host().str());
  return std::nullopt;
}
