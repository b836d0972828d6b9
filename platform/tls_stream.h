// TLS client connections over a connected TcpSocket, through OpenSSL 3.
//
// Only TLS 1.2 and newer. The handshake sends the host name (SNI; not for an
// IP address), verifies the peer's chain against the system's trust store,
// or the authorities SSL_CERT_FILE and SSL_CERT_DIR name when they are set
// (read once, at the first handshake of the process), and checks the host
// name or IP address against the certificate. Nothing turns these checks
// off, and nothing falls back to plain text.
//
// Every call reports a TlsStatus: what kind of failure, with a short reason
// from the system or the TLS library (English) for the log and messages.
// Time limits: the whole handshake within its `seconds`; each wait of a
// send or a receive within its own. Never raises SIGPIPE.
//
// A TlsStream owns its socket and session: closing, destroying or moving
// over it ends both; a stream moved from may only be destroyed or assigned. One thread at a time;
// separate streams share only the process's client settings, which are never changed once made.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "platform/tcp_socket.h"

namespace platform {

enum class TlsFailure {
  kNone,
  kTimeout,      // a wait passed its limit
  kNetwork,      // the socket failed, or the session broke after its handshake
  kUntrusted,    // the chain leads to no trusted authority, or is no proper chain
  kNotValidNow,  // a certificate has expired or is not valid yet
  kOtherName,    // the certificate is for another host name or address
  kHandshake,    // no common version or cipher, an alert, or the peer went
  kUnended,      // the peer closed the connection without ending the session
};

class [[nodiscard]] TlsStatus {
 public:
  // Success.
  TlsStatus() = default;
  TlsStatus(TlsFailure failure, std::string reason)
      : failure_(failure), reason_(std::move(reason)) {}

  bool ok() const { return failure_ == TlsFailure::kNone; }
  TlsFailure failure() const { return failure_; }
  const std::string& reason() const { return reason_; }

 private:
  TlsFailure failure_ = TlsFailure::kNone;
  std::string reason_;
};

class TlsStream {
 public:
  // Takes over a connected socket; no session before handshake().
  explicit TlsStream(TcpSocket socket);
  TlsStream(TlsStream&& other) noexcept;
  TlsStream& operator=(TlsStream&& other) noexcept;
  TlsStream(const TlsStream&) = delete;
  TlsStream& operator=(const TlsStream&) = delete;
  ~TlsStream();

  // Makes the session with the peer, which must prove to be `host` (a name
  // or a dotted IPv4 address), within `seconds` in all (0 or less: without
  // limit). Failures: kTimeout, kUntrusted, kNotValidNow, kOtherName,
  // kHandshake.
  TlsStatus handshake(const std::string& host, int seconds);

  // Sends every byte, waiting at most `seconds` each time the peer takes
  // nothing (0 or less: no limit). `sent`, when given, receives how many
  // bytes the session took, whether it fails or not.
  TlsStatus sendAll(const char* bytes, std::size_t length, int seconds,
                    std::size_t* sent = nullptr);

  // Receives up to `capacity` bytes into `count`, waiting at most `seconds`
  // each time nothing has come (0 or less: no limit); a count of 0 when the
  // peer has ended the session. Failures: kTimeout, kNetwork, and kUnended
  // for a peer that closed the connection without ending the session, so
  // that a cut stream is never taken for a whole one.
  TlsStatus receive(char* buffer, std::size_t capacity, int seconds, std::size_t* count);

  // Ends the session, telling the peer when the session is sound (without
  // waiting for its answer), and closes the socket.
  void close();

  // The socket and the TLS library's session, where the library is known.
  struct Session;

 private:
  // Waits as a call that ended in the TLS library's `error` asks, at most
  // `limitMs` (below 0: without limit); otherwise the failure it stands for.
  TlsStatus waitOrFail(int error, long long limitMs);

  std::unique_ptr<Session> session_;
};

}  // namespace platform
