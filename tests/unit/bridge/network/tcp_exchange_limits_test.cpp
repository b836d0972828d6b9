// tcpPush's time limit holds for the connect and for sending, not only for
// the answer.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "bridge/network/tcp_exchange.h"
#include "tests/support/local_peer.h"

namespace {

using bridge::network::exchangeTcp;
using support::PeerConnection;

TEST(TcpExchange, TheTimeoutEndsAConnectOrASendThatNeverEnds) {
  std::atomic<bool> done{false};
  support::LocalPeer deaf([&done](PeerConnection&) {
    for (int i = 0; i < 3000 && !done; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  });
  const std::string full = std::to_string(support::fullQueuePort());
  const std::string port = std::to_string(deaf.port());
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(exchangeTcp({"127.0.0.1", full, "ping", "timeout=1"}).failure,
            "Nie można się połaczyć [127.0.0.1/" + full + "].");
  EXPECT_EQ(exchangeTcp({"127.0.0.1", port, std::string(20 << 20, 'x'), "timeout=1"}).failure,
            "Problem podczas wysyłania danych [127.0.0.1/" + port + "].");
  done = true;
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 30.0);
}

}  // namespace
