#include "platform/tcp_socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>

namespace platform {
namespace {

// Waits until `events` are possible on `descriptor`, an error or the peer's
// close included, for at most `limitMs` (below 0: without limit; 0: look and
// return); fails with ETIMEDOUT past the limit.
Status waitFor(int descriptor, short events, long long limitMs) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline =
      Clock::now() + std::chrono::milliseconds(std::max(limitMs, 0LL));
  long long leftMs = limitMs;
  for (;;) {
    pollfd watched{descriptor, events, 0};
    const int result = ::poll(&watched, 1, static_cast<int>(std::min<long long>(leftMs, INT_MAX)));
    if (result > 0) return Status();
    if (result < 0 && errno != EINTR) return Status::fromErrno("");
    if (limitMs < 0) continue;
    leftMs = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (leftMs <= 0) return Status::failure(ETIMEDOUT, "");
  }
}

// The limit of connect and sendAll: 0 or less waits without one.
long long limitOf(int seconds) { return seconds > 0 ? seconds * 1000LL : -1; }

}  // namespace

std::optional<Ipv4Address> resolveIpv4(const std::string& host) {
  // The system would read the name only up to a zero byte and resolve
  // another host than the one asked for, and it skips trailing blanks and
  // line ends of a dotted address that a request would carry on.
  if (std::any_of(host.begin(), host.end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x20; })) {
    return std::nullopt;
  }
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) {
    return std::nullopt;
  }
  Ipv4Address address;
  address.networkOrder = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
  ::freeaddrinfo(found);
  return address;
}

Result<TcpSocket> TcpSocket::open() {
  TcpSocket socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!socket.valid()) return Status::fromErrno("");
  return socket;
}

TcpSocket::TcpSocket(TcpSocket&& other) noexcept : descriptor_(other.descriptor_) {
  other.descriptor_ = -1;
}

TcpSocket& TcpSocket::operator=(TcpSocket&& other) noexcept {
  if (this != &other) {
    close();
    descriptor_ = other.descriptor_;
    other.descriptor_ = -1;
  }
  return *this;
}

TcpSocket::~TcpSocket() { close(); }

Status TcpSocket::connect(const Ipv4Address& address, int port, int seconds) {
  if (port < 0 || port > 65535) return Status::failure(EINVAL, "");
  sockaddr_in peer{};
  peer.sin_family = AF_INET;
  peer.sin_port = htons(static_cast<std::uint16_t>(port));
  peer.sin_addr.s_addr = address.networkOrder;
  // Non-blocking only while connecting, so that the wait has a limit; the
  // connected socket blocks again, as its readers expect.
  const int flags = ::fcntl(descriptor_, F_GETFL);
  if (flags < 0 || ::fcntl(descriptor_, F_SETFL, flags | O_NONBLOCK) != 0) {
    return Status::fromErrno("");
  }
  if (::connect(descriptor_, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0) {
    // Interrupted, the connect goes on in the background like one in progress.
    if (errno != EINPROGRESS && errno != EINTR) return Status::fromErrno("");
    Status waited = waitFor(descriptor_, POLLOUT, limitOf(seconds));
    if (!waited.ok()) return waited;
    int error = 0;
    socklen_t size = sizeof error;
    if (::getsockopt(descriptor_, SOL_SOCKET, SO_ERROR, &error, &size) != 0) {
      return Status::fromErrno("");
    }
    if (error != 0) return Status::failure(error, "");
  }
  return ::fcntl(descriptor_, F_SETFL, flags) == 0 ? Status() : Status::fromErrno("");
}

Status TcpSocket::sendAll(const char* bytes, std::size_t length, int seconds, std::size_t* sent) {
  std::size_t done = 0;
  Status status;
  while (done < length) {
    const Result<std::size_t> accepted = sendNow(bytes + done, length - done);
    if (accepted) {
      done += *accepted;
      continue;
    }
    status = accepted.status();
    if (status.code() != EAGAIN) break;
    status = waitFor(descriptor_, POLLOUT, limitOf(seconds));
    if (!status.ok()) break;
  }
  if (sent != nullptr) *sent = done;
  return status;
}

Status TcpSocket::waitReadable(int seconds) {
  return waitFor(descriptor_, POLLIN, seconds > 0 ? seconds * 1000LL : 0);
}

Result<std::size_t> TcpSocket::receive(char* buffer, std::size_t capacity) {
  ssize_t received;
  do {
    received = ::recv(descriptor_, buffer, capacity, 0);
  } while (received < 0 && errno == EINTR);
  if (received < 0) return Status::fromErrno("");
  return static_cast<std::size_t>(received);
}

Result<std::size_t> TcpSocket::sendNow(const char* bytes, std::size_t length) {
  ssize_t accepted;
  do {
    accepted = ::send(descriptor_, bytes, length, MSG_NOSIGNAL | MSG_DONTWAIT);
  } while (accepted < 0 && errno == EINTR);
  if (accepted < 0) return Status::fromErrno("");
  // Taking nothing of something is a peer that has gone.
  if (accepted == 0 && length > 0) return Status::failure(EPIPE, "");
  return static_cast<std::size_t>(accepted);
}

Result<std::size_t> TcpSocket::receiveNow(char* buffer, std::size_t capacity) {
  ssize_t received;
  do {
    received = ::recv(descriptor_, buffer, capacity, MSG_DONTWAIT);
  } while (received < 0 && errno == EINTR);
  if (received < 0) return Status::fromErrno("");
  return static_cast<std::size_t>(received);
}

Status TcpSocket::waitMs(Ready ready, long long limitMs) {
  return waitFor(descriptor_, ready == Ready::kToRead ? POLLIN : POLLOUT, limitMs);
}

void TcpSocket::close() {
  if (descriptor_ < 0) return;
  ::shutdown(descriptor_, SHUT_RDWR);
  ::close(descriptor_);
  descriptor_ = -1;
}

Result<TcpSocket> connectTcp(const std::string& host, int port, int seconds) {
  const std::optional<Ipv4Address> address = resolveIpv4(host);
  if (!address) return Status::failure(EHOSTUNREACH, host, "unknown host");
  Result<TcpSocket> socket = TcpSocket::open();
  if (!socket) return socket;
  Status connected = socket->connect(*address, port, seconds);
  if (!connected.ok()) return connected;
  return socket;
}

}  // namespace platform
