// The engine's connection to a server, plain or over TLS: opened for a
// request, it carries the request out and the response in, and words its
// failures as the engine's error results (http.h), naming the host where
// TLS failed.
//
// A Connection owns its socket and session: closing, destroying or moving
// over it ends them. One thread at a time.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "http/http.h"
#include "http/request_text.h"
#include "http/url.h"
#include "platform/tcp_socket.h"
#include "platform/tls_stream.h"

// What one receive brought: a count of bytes, 0 once the peer has ended the
// response's stream, or the failure.
struct Received {
  std::size_t count = 0;
  std::optional<HttpErrorResult> failure;
};

class Connection {
 public:
  Connection() = default;
  // Takes over a connected socket (a socket pair's end, for readers of any
  // stream of bytes).
  explicit Connection(platform::TcpSocket socket) : socket_(std::move(socket)) {}
  // A session made with `host`.
  Connection(platform::TlsStream session, std::string host)
      : session_(std::move(session)), host_(std::move(host)) {}

  // Sends the whole request; a peer that takes nothing for `timeoutSeconds`
  // (0 or less: no limit) fails it, naming the part not sent.
  std::optional<HttpErrorResult> send(const RequestText& request, int timeoutSeconds);

  // Waits at most `timeoutSeconds` (0 or less: without limit) for bytes and
  // receives up to `capacity` of them.
  Received receive(char* buffer, std::size_t capacity, int timeoutSeconds);

  void close();

 private:
  platform::TcpSocket socket_;                  // plain
  std::optional<platform::TlsStream> session_;  // over TLS, on its own socket
  std::string host_;
};

// Resolves the host of `target`, opens a socket and connects it within
// `timeoutSeconds`, reporting the steps DNS, Socket and Connect as each is
// done; for https, then makes the TLS session within the same limit.
// `connection` holds the connection when nothing is returned.
std::optional<HttpErrorResult> openConnection(const WebAddress& target, int timeoutSeconds,
                                              HttpCb& callback, Connection& connection);
