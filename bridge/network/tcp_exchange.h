// The exchange behind tcpPush: send a text to a TCP peer, read everything it
// answers until it closes the connection, and split the answer into header
// and body. Plain C++ without Qt; safe on any thread, one call per exchange.
#pragma once

#include <string>

#include "bridge/network/transfer_floor.h"

namespace bridge::network {

struct TcpExchange {
  std::string host;
  std::string portText;  // decimal; 1..65534 is accepted
  std::string data;      // sent byte for byte, never decoded
  // Comma-separated, matched by prefix: "base64" encodes the body part,
  // "timeout=<seconds>" limits the connect, each wait to send and each wait
  // for the answer (10 by default; 0 or less: reading only looks, the
  // connect and sending keep 10), "encoding=<name>" must be empty or "utf-8".
  std::string options;
};

struct TcpAnswer {
  bool ok = false;
  std::string failure;  // the message when !ok
  std::string header;   // before the first CR LF CR LF; "" without one
  std::string body;     // after it (base64 when asked), or the whole answer
};

// The failure for an answer that cannot be had or handed on:
// "Problem podczas czytania odpowiedzi [host/port].".
std::string readingFailure(const TcpExchange& request);

// Connects, sends and reads. An answer counts only once the peer has closed
// the connection; silence longer than the timeout, an answer below `floor`
// (transfer_floor.h; its window is widened to the timeout, so that no wait
// the page allows is cut short), a receive error or an empty answer is a
// failure, and so is any encoding but "" or "utf-8".
TcpAnswer exchangeTcp(const TcpExchange& request, FloorRule floor = {});

}  // namespace bridge::network
