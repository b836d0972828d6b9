// tcpPush's exchange, at the level below the page: what every failure leaves
// behind.
#include <gtest/gtest.h>

#include <string>

#include "bridge/network/tcp_exchange.h"
#include "tests/support/local_peer.h"

namespace {

using bridge::network::exchangeTcp;
using bridge::network::TcpAnswer;
using bridge::network::TcpExchange;
using support::LocalPeer;
using support::PeerConnection;

TEST(TcpExchange, LargeAnswersArriveWhole) {
  std::string big(100 << 20, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + (i >> 12));
  LocalPeer peer([&big](PeerConnection& c) {
    c.readBytes(4);
    c.send("H\r\n\r\n" + big);
  });
  TcpAnswer answer = exchangeTcp({"127.0.0.1", std::to_string(peer.port()), "ping", ""});
  ASSERT_TRUE(answer.ok) << answer.failure;
  EXPECT_TRUE(answer.body == big);
}

TEST(TcpExchange, AThousandFailuresLeaveNoDescriptorOpen) {
  LocalPeer closing([](PeerConnection& c) { c.readBytes(4); });
  LocalPeer resetting([](PeerConnection& c) {
    c.readBytes(4);
    c.send("partial");
    c.resetOnClose();
  });
  LocalPeer holding([](PeerConnection& c) { c.readUntilClosed(); });
  const std::string refused = std::to_string(support::refusedPort());
  const TcpExchange failing[] = {
      {"127.0.0.1", refused, "ping", ""},
      {"127.0.0.1", "65535", "ping", ""},
      {"127.0.0.1", std::to_string(closing.port()), "ping", ""},
      {"127.0.0.1", std::to_string(resetting.port()), "ping", ""},
      {"127.0.0.1", std::to_string(holding.port()), "ping", "timeout=0"},
  };
  const int before = support::openDescriptors();
  for (int i = 0; i < 1000; ++i) {
    const TcpAnswer answer = exchangeTcp(failing[i % 5]);
    ASSERT_FALSE(answer.ok) << i;
  }
  EXPECT_EQ(support::descriptorsSettleAt(before), before);
}

}  // namespace
