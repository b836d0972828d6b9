// A TCP peer on 127.0.0.1 for tests of network code: a small raw HTTP server
// or any other partner, whatever its serve function makes of a connection.
//
// The peer listens on a port the system chooses and serves each connection
// on a thread of its own. Destroying it stops listening, cuts the
// connections still open (unblocking their serve functions) and waits for
// every serve function to end.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace support {

class LocalPeer;

// One accepted connection, seen from the peer's side; the peer closes it
// when the serve function returns. Reads and writes block; a failed one
// reports by its result and never throws.
class PeerConnection {
 public:
  PeerConnection(LocalPeer& peer, int descriptor) : peer_(peer), descriptor_(descriptor) {}
  PeerConnection(const PeerConnection&) = delete;
  PeerConnection& operator=(const PeerConnection&) = delete;

  // One request as an HTTP client sends it: through the blank line after the
  // head and, with a Content-Length, as many bytes more as it says.
  // Whatever arrived, when the client stops first. The peer keeps it
  // (requests()).
  std::string readHttpRequest();
  // Exactly `count` bytes, or fewer when the client stops first.
  std::string readBytes(std::size_t count);
  // Everything until the client closes its side.
  std::string readUntilClosed();

  bool send(const std::string& bytes);
  // Tells the client that nothing more comes, while its bytes are still read.
  void endSending();
  // Makes the close that follows the serve function a reset instead of an
  // orderly end.
  void resetOnClose();

 private:
  LocalPeer& peer_;
  int descriptor_;
};

class LocalPeer {
 public:
  using Serve = std::function<void(PeerConnection& connection)>;

  explicit LocalPeer(Serve serve);
  ~LocalPeer();
  LocalPeer(const LocalPeer&) = delete;
  LocalPeer& operator=(const LocalPeer&) = delete;

  int port() const { return port_; }
  // "http://127.0.0.1:<port>" + `resource`.
  std::string url(const std::string& resource = "/") const;

  // The HTTP requests read so far, in the order they were read.
  std::vector<std::string> requests() const;

  // A serve function for a raw HTTP server: reads the request, sends
  // `response` and closes.
  static Serve answering(std::string response);

 private:
  friend class PeerConnection;
  void acceptLoop();

  Serve serve_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  mutable std::mutex mutex_;
  std::vector<int> open_;  // connections being served
  std::vector<std::string> requests_;
  std::vector<std::thread> servers_;
  std::thread acceptor_;
};

// A port on 127.0.0.1 where nobody listens: connecting to it is refused.
int refusedPort();

// A port on 127.0.0.1 whose listen queue is full: a connect to it is
// neither taken nor refused, and goes on trying for minutes unless the
// caller's own limit ends it.
int fullQueuePort();

// How many descriptors this process has open. Peers close their side of a
// connection a moment after the client, so compare with
// descriptorsSettleAt.
int openDescriptors();

// Waits up to two seconds for the count of open descriptors to come back to
// `count`, and returns the last count seen.
int descriptorsSettleAt(int count);

}  // namespace support
