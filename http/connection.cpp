#include "http/connection.h"

#include <cerrno>
#include <string>
#include <utility>

namespace {

HttpErrorResult failure(HttpErrorKind kind, std::string message) {
  return HttpErrorResult(std::move(message), std::move(kind));
}

HttpErrorResult receiveFailure(const platform::Status& status) {
  if (status.code() == ETIMEDOUT) {
    return failure(HttpErrorKind::recv(), "TIMEOUT - problem przy odbieraniu danych.");
  }
  return failure(HttpErrorKind::recv(), "Problem przy odbieraniu danych [" + status.reason() + "]");
}

}  // namespace

std::optional<HttpErrorResult> Connection::send(const RequestText& request, int timeoutSeconds) {
  std::size_t sent = 0;
  if (socket_.sendAll(request.bytes.data(), request.bytes.size(), timeoutSeconds, &sent).ok()) {
    return std::nullopt;
  }
  return failure(HttpErrorKind::send(request.partAt(sent)), "Problem podczas wysyłania danych");
}

Received Connection::receive(char* buffer, std::size_t capacity, int timeoutSeconds) {
  if (timeoutSeconds > 0) {
    const platform::Status waited = socket_.waitReadable(timeoutSeconds);
    if (!waited.ok()) return {0, receiveFailure(waited)};
  }
  const platform::Result<std::size_t> arrived = socket_.receive(buffer, capacity);
  if (!arrived) return {0, receiveFailure(arrived.status())};
  return {*arrived, std::nullopt};
}

std::optional<HttpErrorResult> openConnection(const HttpAddr& addr, int timeoutSeconds,
                                              HttpCb& callback, Connection& connection) {
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
  connection = Connection(std::move(*opened));
  return std::nullopt;
}
