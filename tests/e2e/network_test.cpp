// The network commands through the real binary, against peers on 127.0.0.1
// that this test starts; the pages learn their ports from peers.js.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/local_peer.h"
#include "tests/support/page_runner.h"
#include "tests/support/scratch.h"
#include "tests/support/tls_peers.h"

namespace {

using support::LocalPeer;
using support::PeerConnection;

// The pages' requests end in a line feed.
std::string readLine(PeerConnection& connection) {
  std::string line;
  while (line.empty() || line.back() != '\n') {
    const std::string byte = connection.readBytes(1);
    if (byte.empty()) break;
    line += byte;
  }
  return line;
}

// peers.js: var PEERS = {name: port, ...};
std::string peersScript(const std::map<std::string, int>& ports) {
  std::string script = "var PEERS = {";
  for (const auto& [name, port] : ports) script += name + ": " + std::to_string(port) + ", ";
  return script + "};\n";
}

TEST(TcpPush, EveryOutcomeEndsInItsRecordSequence) {
  LocalPeer headerBody([](PeerConnection& c) {
    readLine(c);
    c.send("H\r\n\r\nabc");
  });
  LocalPeer echo([](PeerConnection& c) { c.send("Echo\r\n\r\n" + readLine(c)); });
  LocalPeer noSeparator([](PeerConnection& c) {
    readLine(c);
    c.send("just a body\r\nwithout a blank line");
  });
  LocalPeer keepOpen([](PeerConnection& c) {
    readLine(c);
    c.send("H\r\n\r\nnever counted");
    c.readUntilClosed();
  });
  LocalPeer silentClose([](PeerConnection& c) { readLine(c); });
  // Within the read limit, but six times as long once its record is written.
  LocalPeer notText([](PeerConnection& c) {
    readLine(c);
    c.send(std::string(100 << 20, '\xff'));
  });

  e2e::RunOptions options;
  options.files["peers.js"] = peersScript({{"headerBody", headerBody.port()},
                                           {"echo", echo.port()},
                                           {"noSeparator", noSeparator.port()},
                                           {"keepOpen", keepOpen.port()},
                                           {"silentClose", silentClose.port()},
                                           {"notText", notText.port()},
                                           {"refused", support::refusedPort()}});
  const e2e::PageRun run = e2e::runPage("net_tcp.html", options);
  EXPECT_EQ(e2e::failureReport(run), "");
}

// Bytes that tell their position: a shifted or dropped piece shows.
std::string pattern(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 31) ^ (i >> 9));
  return bytes;
}

std::string lengthHead(std::size_t length) {
  return "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(length) + "\r\n\r\n";
}

// Sends `first`, then each of `later` a little over a second after the one
// before. The shell gives at most one percentage a second, none in the
// second the download started: each later piece arrives in a second of its
// own and gives one, however fast the machine.
LocalPeer::Serve paced(std::string first, std::vector<std::string> later) {
  return [first, later](PeerConnection& c) {
    c.readHttpRequest();
    c.send(first);
    for (const std::string& piece : later) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1100));
      c.send(piece);
    }
  };
}

// The file of each download, from the page's "PATH <id> <path>" lines.
std::map<std::string, std::string> downloadPaths(const e2e::PageRun& run) {
  std::map<std::string, std::string> paths;
  for (const std::string& line : e2e::messagesStartingWith(run, "PATH ")) {
    const std::size_t blank = line.find(' ', 5);
    paths[line.substr(5, blank - 5)] = line.substr(blank + 1);
  }
  return paths;
}

TEST(AjaxToFile, DownloadsEndInTheirRecordsAndFilesHoldTheBody) {
  const std::string small = pattern(1000);
  const std::string large = pattern(64 << 20);
  const std::string hundred(100, 'x');
  LocalPeer smallPeer(LocalPeer::answering(lengthHead(small.size()) + small));
  LocalPeer pacedPeer(paced(lengthHead(small.size()) + small.substr(0, 250),
                            {small.substr(250, 250), small.substr(500)}));
  LocalPeer trickle(paced("HTTP/1.0 200 OK\r\n\r\nfirst", {hundred, hundred, hundred}));
  // Ten bytes announced, a hundred thousand sent.
  const std::string longerBody = pattern(100000);
  LocalPeer longer(LocalPeer::answering(lengthHead(10) + longerBody));
  LocalPeer notFound(
      LocalPeer::answering("HTTP/1.0 404 Not Found\r\nContent-Length: 7\r\n\r\nmissing"));
  LocalPeer shortBody(LocalPeer::answering(lengthHead(100) + "only ten b"));
  const std::size_t quarter = large.size() / 4;
  LocalPeer largePeer(paced(lengthHead(large.size()) + large.substr(0, quarter),
                            {large.substr(quarter, quarter), large.substr(2 * quarter)}));
  support::Directory temp("downloads");

  e2e::RunOptions options;
  options.environment["TMPDIR"] = temp.path();
  options.files["peers.js"] = "var TMP = \"" + temp.path() + "\";\n" +
                              peersScript({{"small", smallPeer.port()},
                                           {"paced", pacedPeer.port()},
                                           {"trickle", trickle.port()},
                                           {"longer", longer.port()},
                                           {"notFound", notFound.port()},
                                           {"short", shortBody.port()},
                                           {"large", largePeer.port()},
                                           {"refused", support::refusedPort()}});
  const e2e::PageRun run = e2e::runPage("net_ajax.html", options);
  ASSERT_EQ(e2e::failureReport(run), "");

  std::map<std::string, std::string> paths = downloadPaths(run);
  EXPECT_TRUE(support::readFile(paths["small"]) == small);
  EXPECT_TRUE(support::readFile(paths["plain"]) == small);
  EXPECT_TRUE(support::readFile(paths["paced"]) == small);
  EXPECT_EQ(support::readFile(paths["missing"]), "missing") << "a failed download's file stays";
  EXPECT_EQ(support::readFile(paths["short"]), "only ten b");
  EXPECT_TRUE(support::readFile(paths["longer"]) == longerBody.substr(0, 10))
      << "the announced body only";
  EXPECT_EQ(support::readFile(paths["trickle"]), "first" + std::string(300, 'x'));
  EXPECT_TRUE(support::readFile(paths["large"]) == large) << "64 MiB byte for byte";
  for (const char* unanswered : {"nohost", "refused"}) {
    EXPECT_FALSE(std::filesystem::exists(paths[unanswered]))
        << unanswered << ": a download that got no response leaves no file";
  }
}

// The files in `folder`.
std::vector<std::filesystem::path> filesIn(const std::string& folder) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) files.push_back(entry);
  return files;
}

// Reads the request and holds the connection, silent, until the client or
// the test goes.
void silent(PeerConnection& c) {
  while (!c.readBytes(65536).empty()) {
  }
}

TEST(NetworkQueue, DownloadsWaitWithoutDescriptorsAndPastTheBoundAreRefused) {
  LocalPeer silentPeer(silent);
  support::Directory temp("downloads");
  e2e::RunOptions options;
  options.environment["TMPDIR"] = temp.path();
  options.maxOpenFiles = 1024;
  options.files["peers.js"] = peersScript({{"silent", silentPeer.port()}});
  const e2e::PageRun run = e2e::runPage("net_queue_downloads.html", options);
  EXPECT_EQ(e2e::failureReport(run), "");
  EXPECT_EQ(filesIn(temp.path()).size(), 384u) << "a refused download leaves no file";
}

TEST(NetworkQueue, PushesPastTheQueuedDataAreRefused) {
  LocalPeer sink(silent);
  e2e::RunOptions options;
  options.files["peers.js"] = peersScript({{"sink", sink.port()}});
  const e2e::PageRun run = e2e::runPage("net_queue_pushes.html", options);
  EXPECT_EQ(e2e::failureReport(run), "");
}

// A byte every two seconds: never silent for a whole wait.
void trickling(PeerConnection& c) {
  c.readHttpRequest();
  if (!c.send("HTTP/1.0 200 OK\r\n\r\n")) return;
  for (int i = 0; i < 300 && c.send("x"); ++i) {
    std::this_thread::sleep_for(std::chrono::seconds(2));
  }
}

TEST(NetworkQueue, SlowPeersLeaveRoomForHealthyOnesAndAreEndedByTheFloor) {
  LocalPeer trickle(trickling);
  LocalPeer small(LocalPeer::answering(lengthHead(5) + "small"));
  LocalPeer echo([](PeerConnection& c) { c.send("Echo\r\n\r\n" + readLine(c)); });
  support::Directory temp("downloads");
  e2e::RunOptions options;
  options.environment["TMPDIR"] = temp.path();
  options.timeout = std::chrono::seconds(110);
  options.files["peers.js"] =
      peersScript({{"trickle", trickle.port()}, {"small", small.port()}, {"echo", echo.port()}});
  const e2e::PageRun run = e2e::runPage("net_starve.html", options);
  ASSERT_EQ(e2e::failureReport(run), "");
  int slow = 0;
  for (const std::filesystem::path& file : filesIn(temp.path())) {
    if (file.string().find(".slow") == std::string::npos) continue;
    ++slow;
    EXPECT_NE(support::readFile(file.string()), "") << file << " keeps what came";
  }
  EXPECT_EQ(slow, 64);
}

// Servers over TLS and plain ones that redirect, with an authority made for
// this run that the shell trusts through SSL_CERT_FILE.
TEST(AjaxToFile, DownloadsOverTlsAndThroughRedirectsEndInTheirRecords) {
  const support::TestAuthority authority;
  const support::TlsPeers peers(authority, R"({
    "good": {"certificate": "good", "routes": {
      "/file": {"head": "HTTP/1.0 200 OK\r\nContent-Length: 200000", "size": 200000},
      "/chain/start": {"head": "HTTP/1.0 302 Found\r\nLocation: next"},
      "/chain/next": {"head": "HTTP/1.0 307 Temporary Redirect\r\nLocation: ../final"},
      "/final": {"head": "HTTP/1.0 200 OK\r\nContent-Length: 10", "body": "final body"},
      "/to-plain": {"head": "HTTP/1.0 301 Moved\r\nLocation: http://127.0.0.1:{port:plain}/x"},
      "/loop/a": {"head": "HTTP/1.0 302 Found\r\nLocation: b"},
      "/loop/b": {"head": "HTTP/1.0 302 Found\r\nLocation: a"},
      "/hop/0": {"head": "HTTP/1.0 302 Found\r\nLocation: 1"},
      "/hop/1": {"head": "HTTP/1.0 302 Found\r\nLocation: 2"},
      "/hop/2": {"head": "HTTP/1.0 302 Found\r\nLocation: 3"},
      "/hop/3": {"head": "HTTP/1.0 302 Found\r\nLocation: 4"},
      "/hop/4": {"head": "HTTP/1.0 302 Found\r\nLocation: 5"},
      "/hop/5": {"head": "HTTP/1.0 302 Found\r\nLocation: 6"},
      "/hop/6": {"head": "HTTP/1.0 200 OK", "body": "one hop too far"},
      "/cut": {"head": "HTTP/1.0 200 OK\r\nContent-Length: 100000", "size": 1000, "cut": true}}},
    "unknown": {"certificate": "unknown"},
    "plain": {"routes": {
      "/x": {"head": "HTTP/1.0 200 OK", "body": "plain"},
      "/to-tls": {"head": "HTTP/1.0 302 Found\r\nLocation: https://127.0.0.1:{port:good}/file"}}}
  })");
  support::Directory temp("downloads");

  e2e::RunOptions options;
  options.environment["TMPDIR"] = temp.path();
  options.environment["SSL_CERT_FILE"] = authority.trustFile();
  options.files["peers.js"] = peersScript({{"good", peers.port("good")},
                                           {"unknown", peers.port("unknown")},
                                           {"plain", peers.port("plain")}});
  const e2e::PageRun run = e2e::runPage("net_tls.html", options);
  ASSERT_EQ(e2e::failureReport(run), "");

  std::map<std::string, std::string> paths = downloadPaths(run);
  std::string body(200000, '\0');
  for (std::size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>(i % 256);
  EXPECT_TRUE(support::readFile(paths["secure"]) == body);
  EXPECT_TRUE(support::readFile(paths["upgrade"]) == body);
  EXPECT_EQ(support::readFile(paths["relative"]), "final body");
  EXPECT_EQ(support::readFile(paths["cut"]).size(), 1000u) << "the partial file stays";
  EXPECT_EQ(e2e::messagesStartingWith(run, "ajaxToFile [relative]: "),
            (std::vector<std::string>{"ajaxToFile [relative]: HTTP/1.0 302 Found -> " +
                                          peers.https("good", "/chain/next"),
                                      "ajaxToFile [relative]: HTTP/1.0 307 Temporary Redirect -> " +
                                          peers.https("good", "/final")}));
}

// The authorities a download trusts: the system's, or a folder that
// SSL_CERT_DIR names.
TEST(AjaxToFile, TheTrustStoreIsTheSystemsOrTheFolderNamed) {
  const support::TestAuthority authority;
  const support::TlsPeers peers(
      authority,
      R"({"good": {"certificate": "good", "routes": {"/": {"head": "HTTP/1.0 200 OK"}}}})");
  support::Directory temp("downloads");
  const auto outcome = [&](const std::map<std::string, std::string>& environment) {
    e2e::RunOptions options;
    options.environment = environment;
    options.environment["TMPDIR"] = temp.path();
    options.files["peers.js"] = "var URL = \"" + peers.https("good") + "\";\n";
    const e2e::PageRun run = e2e::runPage("net_trust.html", options);
    EXPECT_EQ(e2e::failureReport(run), "");
    const std::vector<std::string> lines = e2e::messagesStartingWith(run, "OUTCOME ");
    return lines.empty() ? std::string() : lines[0].substr(0, 14);
  };
  EXPECT_EQ(outcome({{"SSL_CERT_DIR", authority.directory() + "/trust"}}), "OUTCOME finish");
  EXPECT_EQ(outcome({}), "OUTCOME error ");
}

TEST(NetworkClientLibrary, HelpersSettleOnRealRecords) {
  LocalPeer small(LocalPeer::answering(lengthHead(5) + "small"));
  LocalPeer headerBody([](PeerConnection& c) {
    readLine(c);
    c.send("H\r\n\r\nabc");
  });
  support::Directory temp("downloads");
  e2e::RunOptions options;
  options.environment["TMPDIR"] = temp.path();
  options.files["peers.js"] = peersScript({{"small", small.port()},
                                           {"headerBody", headerBody.port()},
                                           {"refused", support::refusedPort()}});
  EXPECT_EQ(e2e::failureReport(e2e::runPage("net_client.html", options)), "");
}

}  // namespace
