// TCP client sockets against peers on 127.0.0.1.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "platform/tcp_socket.h"
#include "tests/support/local_peer.h"

namespace {

using platform::TcpSocket;
using support::LocalPeer;
using support::PeerConnection;

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(TcpSocket, ResolvesNamesAndDottedAddresses) {
  ASSERT_TRUE(platform::resolveIpv4("127.0.0.1"));
  EXPECT_EQ(platform::resolveIpv4("127.0.0.1")->networkOrder, htonl(0x7f000001));
  EXPECT_TRUE(platform::resolveIpv4("localhost"));
  EXPECT_FALSE(platform::resolveIpv4("no-such-host.invalid"));
  EXPECT_FALSE(platform::resolveIpv4(""));
  EXPECT_FALSE(platform::resolveIpv4(std::string("127.0.0.1\0.evil", 14)));
  EXPECT_FALSE(platform::resolveIpv4("127.0.0.1\r\nX-Injected: yes"));
}

TEST(TcpSocket, WaitingEndsAtItsLimit) {
  LocalPeer silent([](PeerConnection& connection) { connection.readUntilClosed(); });
  platform::Result<TcpSocket> socket = platform::connectTcp("127.0.0.1", silent.port(), 5);
  ASSERT_TRUE(socket) << socket.status().message();

  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(socket->waitReadable(1).code(), ETIMEDOUT);
  EXPECT_GE(secondsSince(start), 0.9);
  EXPECT_LT(secondsSince(start), 3.0);

  start = std::chrono::steady_clock::now();
  EXPECT_EQ(socket->waitReadable(0).code(), ETIMEDOUT);
  EXPECT_EQ(socket->waitReadable(-5).code(), ETIMEDOUT);
  EXPECT_LT(secondsSince(start), 0.5) << "a limit of 0 or less only looks";
}

// The system's own limit is minutes; a port past 16 bits would reach another.
TEST(TcpSocket, ConnectingEndsAtItsLimitAndRefusesPortsPastSixteenBits) {
  const auto start = std::chrono::steady_clock::now();
  const platform::Status late =
      platform::connectTcp("127.0.0.1", support::fullQueuePort(), 1).status();
  EXPECT_EQ(late.code(), ETIMEDOUT);
  EXPECT_LT(secondsSince(start), 20.0);

  LocalPeer peer([](PeerConnection&) {});
  EXPECT_EQ(platform::connectTcp("127.0.0.1", peer.port() + 65536, 5).status().code(), EINVAL);
  EXPECT_EQ(platform::connectTcp("no-such-host.invalid", peer.port(), 5).status().code(),
            EHOSTUNREACH);
}

// select() cannot take such a descriptor; poll() must.
TEST(TcpSocket, WaitsOnDescriptorsAbove1023) {
  rlimit limit;
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &limit), 0);
  if (limit.rlim_max < 2100) GTEST_SKIP() << "descriptor limit too low";
  const rlim_t saved = limit.rlim_cur;
  limit.rlim_cur = 2100;
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &limit), 0);

  std::vector<int> ballast;
  while (ballast.empty() || ballast.back() < 2000) ballast.push_back(dup(0));
  {
    LocalPeer peer([](PeerConnection& connection) { connection.send("x"); });
    platform::Result<TcpSocket> socket = platform::connectTcp("127.0.0.1", peer.port(), 5);
    ASSERT_TRUE(socket) << socket.status().message();
    ASSERT_GT(socket->descriptor(), 1023);
    EXPECT_TRUE(socket->waitReadable(5).ok());
  }
  for (int descriptor : ballast) close(descriptor);
  limit.rlim_cur = saved;
  setrlimit(RLIMIT_NOFILE, &limit);
}

TEST(TcpSocket, SendingToAGonePeerFailsWithoutASignal) {
  // The peer goes only once the connection is whole: a reset that arrives
  // while the connect is still being checked fails the connect instead.
  LocalPeer peer([](PeerConnection& connection) {
    connection.readBytes(1);
    connection.resetOnClose();
  });
  platform::Result<TcpSocket> socket = platform::connectTcp("127.0.0.1", peer.port(), 5);
  ASSERT_TRUE(socket) << socket.status().message();
  std::size_t greeted = 0;
  ASSERT_TRUE(socket->sendAll("x", 1, 5, &greeted).ok());
  char byte;
  ASSERT_TRUE(socket->waitReadable(5).ok());
  EXPECT_EQ(socket->receive(&byte, 1).status().code(), ECONNRESET);
  const std::string big(1 << 20, 'x');
  std::size_t sent = big.size();
  const platform::Status sending = socket->sendAll(big.data(), big.size(), 5, &sent);
  EXPECT_TRUE(sending.code() == EPIPE || sending.code() == ECONNRESET) << sending.reason();
  EXPECT_LT(sent, big.size());
}

}  // namespace
