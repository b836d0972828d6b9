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
using bridge::network::TcpAnswer;
using support::LocalPeer;
using support::PeerConnection;

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(TcpExchangeLimits, AQueueThatNeverTakesTheConnectionEndsAtTheTimeout) {
  support::FullListener full;
  const std::string port = std::to_string(full.port());
  const auto start = std::chrono::steady_clock::now();
  const TcpAnswer answer = exchangeTcp({"127.0.0.1", port, "ping", "timeout=1"});
  EXPECT_EQ(answer.failure, "Nie można się połaczyć [127.0.0.1/" + port + "].");
  EXPECT_LT(secondsSince(start), 20.0) << "the system's own limit is minutes";
}

TEST(TcpExchangeLimits, APeerThatNeverReadsEndsTheSendingAtTheTimeout) {
  std::atomic<bool> done{false};
  LocalPeer deaf([&done](PeerConnection&) {
    for (int i = 0; i < 3000 && !done; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  });
  const std::string port = std::to_string(deaf.port());
  const auto start = std::chrono::steady_clock::now();
  const TcpAnswer answer =
      exchangeTcp({"127.0.0.1", port, std::string(20 << 20, 'x'), "timeout=1"});
  done = true;
  EXPECT_EQ(answer.failure, "Problem podczas wysyłania danych [127.0.0.1/" + port + "].");
  EXPECT_LT(secondsSince(start), 20.0);
}

}  // namespace
