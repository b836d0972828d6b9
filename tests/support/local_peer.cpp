#include "tests/support/local_peer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace support {
namespace {

sockaddr_in loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

// A socket bound to 127.0.0.1 at a port the system chooses, and that port.
std::pair<int, int> boundSocket() {
  const int descriptor = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address = loopback(0);
  socklen_t size = sizeof address;
  if (descriptor < 0 || ::bind(descriptor, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
      ::getsockname(descriptor, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    throw std::runtime_error("cannot bind a local peer");
  }
  return {descriptor, ntohs(address.sin_port)};
}

// The value of the Content-Length line of an HTTP head, -1 without one.
long contentLength(const std::string& head) {
  static const char kName[] = "\r\ncontent-length:";
  for (std::size_t at = head.find("\r\n"); at != std::string::npos;
       at = head.find("\r\n", at + 2)) {
    if (::strncasecmp(head.c_str() + at, kName, sizeof kName - 1) == 0) {
      return std::strtol(head.c_str() + at + sizeof kName - 1, nullptr, 10);
    }
  }
  return -1;
}

}  // namespace

std::string PeerConnection::readHttpRequest() {
  std::string request;
  std::size_t blank;
  while ((blank = request.find("\r\n\r\n")) == std::string::npos) {
    const std::string piece = readBytes(1);
    if (piece.empty()) break;
    request += piece;
  }
  const long length = blank == std::string::npos ? -1 : contentLength(request.substr(0, blank + 2));
  if (length > 0) request += readBytes(static_cast<std::size_t>(length));
  std::lock_guard<std::mutex> lock(peer_.mutex_);
  peer_.requests_.push_back(request);
  return request;
}

std::string PeerConnection::readBytes(std::size_t count) {
  std::string bytes(count, '\0');
  std::size_t have = 0;
  while (have < count) {
    const ssize_t got = ::recv(descriptor_, &bytes[have], count - have, 0);
    if (got <= 0) break;
    have += static_cast<std::size_t>(got);
  }
  bytes.resize(have);
  return bytes;
}

std::string PeerConnection::readUntilClosed() {
  std::string bytes;
  char buffer[65536];
  ssize_t got;
  while ((got = ::recv(descriptor_, buffer, sizeof buffer, 0)) > 0) bytes.append(buffer, got);
  return bytes;
}

bool PeerConnection::send(const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t done =
        ::send(descriptor_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (done <= 0) return false;
    sent += static_cast<std::size_t>(done);
  }
  return true;
}

void PeerConnection::endSending() { ::shutdown(descriptor_, SHUT_WR); }

void PeerConnection::resetOnClose() {
  const linger abort{1, 0};
  ::setsockopt(descriptor_, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
}

LocalPeer::LocalPeer(Serve serve) : serve_(std::move(serve)) {
  std::tie(listener_, port_) = boundSocket();
  if (::listen(listener_, 256) != 0) throw std::runtime_error("cannot listen");
  acceptor_ = std::thread([this] { acceptLoop(); });
}

LocalPeer::~LocalPeer() {
  stopping_ = true;
  ::shutdown(listener_, SHUT_RDWR);
  acceptor_.join();
  ::close(listener_);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (int descriptor : open_) ::shutdown(descriptor, SHUT_RDWR);
  }
  for (std::thread& server : servers_) server.join();
}

std::string LocalPeer::url(const std::string& resource) const {
  return "http://127.0.0.1:" + std::to_string(port_) + resource;
}

std::vector<std::string> LocalPeer::requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

void LocalPeer::acceptLoop() {
  for (;;) {
    const int descriptor = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (descriptor < 0) {
      if (stopping_) return;
      continue;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    open_.push_back(descriptor);
    servers_.emplace_back([this, descriptor] {
      {
        PeerConnection connection(*this, descriptor);
        serve_(connection);
      }
      std::lock_guard<std::mutex> lock(mutex_);
      open_.erase(std::find(open_.begin(), open_.end(), descriptor));
      ::close(descriptor);
    });
  }
}

LocalPeer::Serve LocalPeer::answering(std::string response) {
  return [response = std::move(response)](PeerConnection& connection) {
    connection.readHttpRequest();
    connection.send(response);
  };
}

int refusedPort() {
  // Bound but never listening: the port stays ours, and connections to it
  // are refused.
  static const int port = boundSocket().second;
  return port;
}

int fullQueuePort() {
  // A queue of one, filled by a connect that is never accepted: the system
  // drops every later handshake.
  static const int port = [] {
    const auto [listener, port] = boundSocket();
    const sockaddr_in address = loopback(port);
    const int filler = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (::listen(listener, 0) != 0 ||
        ::connect(filler, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
      throw std::runtime_error("cannot fill a listen queue");
    }
    return port;
  }();
  return port;
}

int openDescriptors() {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    (void)entry;
    ++count;
  }
  return count;
}

int descriptorsSettleAt(int count) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  int now = openDescriptors();
  while (now != count && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    now = openDescriptors();
  }
  return now;
}

}  // namespace support
