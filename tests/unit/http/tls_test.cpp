// Requests over TLS against local servers (tests/support/tls_peers.py) with
// certificates of a test authority made for this run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "http/http.h"
#include "tests/support/local_peer.h"
#include "tests/support/scratch.h"
#include "tests/support/tls_peers.h"

namespace {

const char kServers[] = R"({
  "good": {"certificate": "good", "routes": {
    "/file": {"head": "HTTP/1.0 200 OK\r\nContent-Length: 300000", "size": 300000},
    "/unannounced": {"head": "HTTP/1.0 200 OK", "size": 100000},
    "/cut": {"head": "HTTP/1.0 200 OK\r\nContent-Length: 100000", "size": 1000, "cut": true},
    "/cut-unannounced": {"head": "HTTP/1.0 200 OK", "size": 1000, "cut": true},
    "/cut-after": {"head": "HTTP/1.0 200 OK\r\nContent-Length: 1000", "size": 1000, "cut": true},
    "/stall": {"head": "HTTP/1.0 200 OK\r\nContent-Length: 2000", "size": 1000, "stall": 5},
    "/secure/start": {"head": "HTTP/1.0 302 Found\r\nLocation: final\r\nContent-Length: 0"},
    "/secure/final": {"head": "HTTP/1.0 200 OK\r\nContent-Length: 5", "body": "final"},
    "/to-plain": {"head": "HTTP/1.0 301 Moved\r\nLocation: http://127.0.0.1:{port:plain}/x"}}},
  "plain": {"routes": {"/x": {"head": "HTTP/1.0 200 OK", "body": "plain"}}},
  "expired": {"certificate": "expired"},
  "othername": {"certificate": "othername"},
  "unknown": {"certificate": "unknown"},
  "old": {"certificate": "good", "tls10": true},
  "slow": {"certificate": "good", "handshake_delay": 4},
  "deaf": {"certificate": "good", "deaf": 4},
  "named": {"certificate": "othername", "by_name": {"localhost": "good"}}
})";

// One authority and one set of servers for the whole program: the engine
// reads its trust file once, at its first handshake.
const support::TlsPeers& peers() {
  static const support::TestAuthority authority;
  static const bool trusted = ::setenv("SSL_CERT_FILE", authority.trustFile().c_str(), 1) == 0;
  static const support::TlsPeers servers(authority, kServers);
  EXPECT_TRUE(trusted);
  return servers;
}

std::string pattern(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i % 256);
  return bytes;
}

class StepNames : public HttpCb {
 public:
  void step(const HttpStep& step) override {
    if (names.empty() || names.back() != step.msg().str()) names.push_back(step.msg().str());
  }
  std::vector<std::string> names;
};

HttpResult fetch(const std::string& url, const HttpOutput& output = HttpOutput::memory(),
                 int timeout = 10, HttpCb* callback = nullptr) {
  Http http(url, callback);
  http.setOutput(output);
  http.setTimeout(timeout);
  http.setFollowRedirects(true);
  return http.perform();
}

std::string errorText(const HttpResult& result) {
  return result.isError() ? result.asError().msg().str() : "no error";
}

std::string withHost(const std::string& url, const std::string& host) {
  return "https://" + host + url.substr(url.find(':', 8));
}

TEST(Tls, AVerifiedSessionCarriesTheBodyWithThePlainSteps) {
  support::Directory folder("tls");
  StepNames steps;
  HttpResult result =
      fetch(peers().https("good", "/file"), HttpOutput::file(folder / "file"), 10, &steps);
  ASSERT_TRUE(result.isFile()) << errorText(result);
  EXPECT_TRUE(support::readFile(folder / "file") == pattern(300000));
  EXPECT_EQ(steps.names,
            (std::vector<std::string>{"DNS", "Socket", "Connect", "Odczytano nagłówki zapytania",
                                      "Odczyt danych"}));

  // By name as well as by address; without a length the session's end ends
  // the body.
  result = fetch(withHost(peers().https("good", "/unannounced"), "localhost"));
  ASSERT_TRUE(result.isBody()) << errorText(result);
  EXPECT_TRUE(result.asBody().body().str() == pattern(100000));
}

TEST(Tls, CertificatesThatDoNotProveTheHostAreRefusedByName) {
  EXPECT_EQ(errorText(fetch(peers().https("expired"))),
            "Certyfikat hosta [127.0.0.1] wygasł lub nie jest jeszcze ważny "
            "[certificate has expired]");
  EXPECT_EQ(errorText(fetch(peers().https("othername"))),
            "Certyfikat hosta [127.0.0.1] wystawiono dla innej nazwy [IP address mismatch]");
  EXPECT_EQ(errorText(fetch(withHost(peers().https("othername"), "localhost"))),
            "Certyfikat hosta [localhost] wystawiono dla innej nazwy [hostname mismatch]");
  const HttpResult unknown = fetch(peers().https("unknown"));
  EXPECT_EQ(
      errorText(unknown),
      "Certyfikat hosta [127.0.0.1] nie jest zaufany [unable to get local issuer certificate]");
  EXPECT_TRUE(unknown.isError() && unknown.asError().kind().isConnect());
}

// The server picks its certificate by the name the handshake carries; an
// address carries none.
TEST(Tls, TheHandshakeNamesTheHost) {
  const HttpResult named = fetch(withHost(peers().https("named"), "localhost"));
  EXPECT_TRUE(named.isBody()) << errorText(named);
  EXPECT_EQ(errorText(fetch(peers().https("named"))),
            "Certyfikat hosta [127.0.0.1] wystawiono dla innej nazwy [IP address mismatch]");
}

TEST(Tls, OldProtocolsAndPlainTextAreNoFallback) {
  EXPECT_EQ(errorText(fetch(peers().https("old"))),
            "Problem z uzgodnieniem TLS z hostem [127.0.0.1] [tlsv1 alert protocol version]");
  support::LocalPeer plainText([](support::PeerConnection& c) {
    c.readBytes(1);
    c.send("HTTP/1.0 200 OK\r\n\r\nplain text");
  });
  const std::string plain =
      errorText(fetch("https://127.0.0.1:" + std::to_string(plainText.port()) + "/"));
  EXPECT_EQ(plain.rfind("Problem z uzgodnieniem TLS z hostem [127.0.0.1] [", 0), 0u) << plain;
}

// A cut stream must never pass for a whole one; past its announced length
// nothing more is needed.
TEST(Tls, APeerThatLeavesWithoutEndingTheSessionCutsTheBody) {
  support::Directory folder("tls");
  const std::string cut = "Host [127.0.0.1] zamknął połączenie bez zakończenia sesji TLS";
  const HttpResult result = fetch(peers().https("good", "/cut"), HttpOutput::file(folder / "cut"));
  EXPECT_EQ(errorText(result), cut);
  EXPECT_TRUE(result.isError() && result.asError().kind().isRecv());
  EXPECT_TRUE(support::readFile(folder / "cut") == pattern(1000)) << "the partial file stays";
  EXPECT_EQ(errorText(fetch(peers().https("good", "/cut-unannounced"))), cut);

  const HttpResult whole = fetch(peers().https("good", "/cut-after"));
  ASSERT_TRUE(whole.isBody()) << errorText(whole);
  EXPECT_TRUE(whole.asBody().body().str() == pattern(1000));
}

TEST(Tls, TheHandshakeAndEachSendAndReceiveKeepTheTimeLimit) {
  EXPECT_EQ(errorText(fetch(peers().https("slow"), HttpOutput::memory(), 1)),
            "TIMEOUT - problem z uzgodnieniem TLS z hostem [127.0.0.1]");
  EXPECT_EQ(errorText(fetch(peers().https("good", "/stall"), HttpOutput::memory(), 1)),
            "TIMEOUT - problem przy odbieraniu danych.");

  // More than the system's buffers hold, to a peer that reads nothing yet.
  Http http(peers().https("deaf"), nullptr);
  HttpParams headers;
  headers.Add(HttpParam("X-Big", std::string(20 << 20, 'x')));
  http.setHeaders(headers);
  http.setTimeout(1);
  const HttpResult result = http.perform();
  EXPECT_EQ(errorText(result), "Problem podczas wysyłania danych");
  ASSERT_TRUE(result.isError() && result.asError().kind().isSend());
  EXPECT_EQ(result.asError().kind().asSend(), AnsiString("Headers - X-Big"));
}

// Up to TLS, within it, and never down from it.
TEST(Tls, RedirectsMayLeadToTlsButNotAwayFromIt) {
  HttpResult result = fetch(peers().https("good", "/secure/start"));
  ASSERT_TRUE(result.isBody()) << errorText(result);
  EXPECT_EQ(result.asBody().body().str(), "final");

  const std::string secure = peers().https("good", "/file");
  support::LocalPeer upgrade([secure](support::PeerConnection& c) {
    c.readHttpRequest();
    c.send("HTTP/1.0 302 Found\r\nLocation: " + secure + "\r\n\r\n");
  });
  result = fetch("http://127.0.0.1:" + std::to_string(upgrade.port()) + "/");
  ASSERT_TRUE(result.isBody()) << errorText(result);
  EXPECT_TRUE(result.asBody().body().str() == pattern(300000));

  EXPECT_EQ(errorText(fetch(peers().https("good", "/to-plain"))),
            "Odrzucono przekierowanie z HTTPS na HTTP [" + peers().http("plain", "/x") + "]");
}

// Several sessions at once on their own threads share only the client
// settings (run under ThreadSanitizer too); failed ones leave nothing open.
TEST(Tls, ConcurrentSessionsGetTheirOwnBodiesAndLeaveNoDescriptorOpen) {
  const support::TlsPeers& servers = peers();
  const int before = support::openDescriptors();
  std::vector<std::thread> threads;
  std::vector<int> wrong(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 5; ++i) {
        const HttpResult good = fetch(servers.https("good", "/file"));
        if (!good.isBody() || good.asBody().body().str() != pattern(300000)) ++wrong[t];
        if (!fetch(servers.https(i % 2 == 0 ? "unknown" : "old")).isError()) ++wrong[t];
        if (!fetch(servers.https("good", "/cut")).isError()) ++wrong[t];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(wrong, std::vector<int>(4, 0));
  EXPECT_EQ(support::descriptorsSettleAt(before), before);
}

}  // namespace
