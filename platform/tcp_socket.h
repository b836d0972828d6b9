// Plain TCP client sockets, for the HTTP engine and tcpPush.
//
// Every call is safe on any thread, and separate sockets share nothing:
// names are resolved with getaddrinfo (gethostbyname answers in one
// process-wide buffer), and waiting uses poll (select would write past its
// descriptor set for a descriptor above 1023).
//
// A TcpSocket owns its descriptor: it is closed when the socket is closed,
// moved over or destroyed, so every path that opened a socket closes it.
// Calls that can fail answer a Status or a Result with the errno of the
// system call that failed, worded for the page (error.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/error.h"

namespace platform {

// An IPv4 address in network byte order.
struct Ipv4Address {
  std::uint32_t networkOrder = 0;
};

// The first IPv4 address of `host` (a name or a dotted address), or nothing
// when it cannot be resolved or holds a control byte (NUL, CR, LF, ...).
// The system's resolver answers; its first IPv4 answer is taken.
std::optional<Ipv4Address> resolveIpv4(const std::string& host);

class TcpSocket {
 public:
  // A new IPv4 stream socket, closed on exec.
  static Result<TcpSocket> open();

  // Takes over a connected stream socket the caller made (one end of a
  // socket pair, in tests).
  static TcpSocket adopt(int descriptor) { return TcpSocket(descriptor); }

  TcpSocket() = default;
  TcpSocket(TcpSocket&& other) noexcept;
  TcpSocket& operator=(TcpSocket&& other) noexcept;
  TcpSocket(const TcpSocket&) = delete;
  TcpSocket& operator=(const TcpSocket&) = delete;
  ~TcpSocket();

  bool valid() const { return descriptor_ >= 0; }
  int descriptor() const { return descriptor_; }

  // Connects to `address` at `port`, waiting at most `seconds` for the
  // peer (0 or less: as long as the system tries); a connect that runs past
  // the limit fails with ETIMEDOUT. A port outside 0..65535 fails with
  // EINVAL before anything is tried. The connect itself does not block;
  // the wait for it is bounded as above.
  Status connect(const Ipv4Address& address, int port, int seconds);

  // Sends every byte, in as many calls as the system needs. Fails when a
  // call fails or accepts nothing, or with ETIMEDOUT when the peer took
  // nothing for `seconds` (0 or less: no limit); the limit applies to each
  // wait separately. A peer that has gone makes it fail (EPIPE), never
  // raises SIGPIPE. `sent`, when given, receives how many bytes the system
  // accepted, whether it fails or not.
  Status sendAll(const char* bytes, std::size_t length, int seconds, std::size_t* sent = nullptr);

  // Waits until there is something to read, the peer's close or reset
  // included, for at most `seconds` (below 0 counts as 0: look and return).
  // Fails with ETIMEDOUT when nothing came in time.
  Status waitReadable(int seconds);

  // Receives up to `capacity` bytes: the count, 0 when the peer has closed
  // the connection. Blocks until something comes.
  Result<std::size_t> receive(char* buffer, std::size_t capacity);

  // For layers that do their own waiting (tls_stream.h): each call below
  // returns at once.
  // Sends what the system takes now: the count, or the failure; EAGAIN when
  // it takes nothing now. Never raises SIGPIPE.
  Result<std::size_t> sendNow(const char* bytes, std::size_t length);
  // Receives what has come: the count, 0 when the peer has closed the
  // connection; EAGAIN when nothing has come.
  Result<std::size_t> receiveNow(char* buffer, std::size_t capacity);

  // What a wait is for.
  enum class Ready { kToRead, kToWrite };
  // Waits until the socket is ready as asked, an error or the peer's close
  // included, for at most `limitMs` milliseconds (below 0: without limit;
  // 0: look and return). Fails with ETIMEDOUT past the limit.
  Status waitMs(Ready ready, long long limitMs);

  // Shuts both directions down, so that the peer sees the end at once, and
  // closes.
  void close();

 private:
  explicit TcpSocket(int descriptor) : descriptor_(descriptor) {}

  int descriptor_ = -1;
};

// Resolves `host`, opens a socket and connects it to the first address at
// `port`, waiting at most `seconds` as connect does. Fails with EHOSTUNREACH
// when the host cannot be resolved, else as the step that failed (a socket
// opened before a failed connect is closed).
Result<TcpSocket> connectTcp(const std::string& host, int port, int seconds);

}  // namespace platform
