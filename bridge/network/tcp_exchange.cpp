#include "bridge/network/tcp_exchange.h"

#include <algorithm>
#include <chrono>
#include <cstdint>

#include "bridge/protocol/protocol.h"
#include "platform/tcp_socket.h"
#include "runtime/ansi_string.h"
#include "runtime/base64.h"
#include "runtime/option_util.h"

namespace bridge::network {
namespace {

constexpr std::size_t kReceivePiece = 655360;
constexpr int kDefaultTimeout = 10;

// Everything the peer sends until it closes, or "" when a wait runs past
// `timeoutSeconds`, the answer falls below `floor` or a receive fails
// first. An answer larger than any record the page can be handed is given
// up as soon as it is, so that a peer that never stops sending cannot fill
// the memory.
std::string readUntilClosed(platform::TcpSocket& socket, int timeoutSeconds, TransferFloor floor) {
  std::string answer;
  while (answer.size() <= kMaxAnswerBytes) {
    if (!socket.waitReadable(timeoutSeconds).ok()) return std::string();
    const std::size_t had = answer.size();
    answer.resize(had + kReceivePiece);
    const platform::Result<std::size_t> received = socket.receive(&answer[had], kReceivePiece);
    if (!received) return std::string();
    answer.resize(had + *received);
    if (*received == 0) return answer;
    if (!floor.holds(static_cast<std::int64_t>(answer.size()), TransferFloor::Clock::now())) {
      return std::string();
    }
  }
  return std::string();
}

// " [host/port].": where each failure happened.
std::string peerOf(const TcpExchange& request) {
  return " [" + request.host + "/" + request.portText + "].";
}

TcpAnswer failed(std::string message) {
  TcpAnswer answer;
  answer.failure = std::move(message);
  return answer;
}

}  // namespace

std::string readingFailure(const TcpExchange& request) {
  return "Problem podczas czytania odpowiedzi" + peerOf(request);
}

TcpAnswer exchangeTcp(const TcpExchange& request, FloorRule floor) {
  const OptionUtil options = OptionUtil::Parse(request.options);
  const bool base64 = options.getFlag("base64", 0) != 0;
  const int timeout = options.getInt("timeout", kDefaultTimeout);
  // Reading with no time left only looks; a connect or a send cannot, so
  // they keep the default limit then.
  const int sendingTimeout = timeout > 0 ? timeout : kDefaultTimeout;
  const std::string encoding = options.getString("encoding", "");
  const std::string where = peerOf(request);

  const int port = AnsiString(request.portText).ToIntOr(-1);
  if (port < 1 || port > 65534) return failed("Port poza zakresem [" + request.portText + "].");

  platform::Result<platform::TcpSocket> connected =
      platform::connectTcp(request.host, port, sendingTimeout);
  if (!connected) return failed("Nie można się połaczyć" + where);
  platform::TcpSocket& socket = *connected;
  if (!socket.sendAll(request.data.data(), request.data.size(), sendingTimeout).ok()) {
    return failed("Problem podczas wysyłania danych" + where);
  }
  floor.window = std::max(floor.window, std::chrono::seconds(timeout));
  std::string received =
      readUntilClosed(socket, timeout, TransferFloor(floor, TransferFloor::Clock::now()));
  socket.close();
  if (received.empty() || !(encoding.empty() || encoding == "utf-8")) {
    return failed(readingFailure(request));
  }

  TcpAnswer answer;
  answer.ok = true;
  const std::size_t separator = received.find("\r\n\r\n");
  if (separator != std::string::npos) {
    answer.header = received.substr(0, separator);
    received.erase(0, separator + 4);
  }
  answer.body = base64 ? Base64Encode(received.data(), static_cast<int>(received.size())).str()
                       : std::move(received);
  return answer;
}

}  // namespace bridge::network
