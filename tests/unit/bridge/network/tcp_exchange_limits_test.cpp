// tcpPush's time limit holds for the connect and for sending, not only for
// the answer; an answer that trickles is held to the floor.
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

// Sends `pieces` bytes, one every 100 ms while the client stays, and
// closes.
support::LocalPeer::Serve trickling(int pieces) {
  return [pieces](PeerConnection& c) {
    c.readBytes(4);
    for (int i = 0; i < pieces && c.send("x"); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  };
}

// A byte every 100 ms never lets a wait run out; only the floor ends the
// endless peer. The short one ends within the page's timeout, which widens
// the floor's window, and is answered whole.
TEST(TcpExchange, AnAnswerBelowTheFloorFailsUnlessTheTimeoutCoversIt) {
  support::LocalPeer endless(trickling(30000));
  support::LocalPeer brief(trickling(15));
  const bridge::network::FloorRule floor{std::chrono::seconds(1), 1024};
  const std::string port = std::to_string(endless.port());
  EXPECT_EQ(exchangeTcp({"127.0.0.1", port, "ping", "timeout=1"}, floor).failure,
            "Problem podczas czytania odpowiedzi [127.0.0.1/" + port + "].");
  const bridge::network::TcpAnswer answer =
      exchangeTcp({"127.0.0.1", std::to_string(brief.port()), "ping", "timeout=60"}, floor);
  EXPECT_TRUE(answer.ok) << answer.failure;
  EXPECT_EQ(answer.body, std::string(15, 'x'));
}

}  // namespace
