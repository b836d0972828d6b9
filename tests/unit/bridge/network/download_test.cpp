// ajaxToFile's work below the page: what a download leaves in its file,
// whatever the peer does.
#include "bridge/network/download.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>

#include "tests/support/local_peer.h"
#include "tests/support/scratch.h"

namespace {

namespace fs = std::filesystem;
using bridge::network::FloorRule;
using platform::ReservedFile;
using support::LocalPeer;
using support::PeerConnection;

// The failure of a download of `url` into a file reserved at `path`, or
// "none".
std::string downloadTo(const std::string& url, const std::string& path, FloorRule floor = {}) {
  platform::Result<ReservedFile> reserved = ReservedFile::create(path);
  EXPECT_TRUE(reserved.ok()) << reserved.status().message();
  return bridge::network::download(
             url, path, std::move(*reserved), [](const std::string&) {}, floor)
      .value_or("none");
}

TEST(Download, AFileThatGotNoByteOfAResponseIsRemoved) {
  support::Directory folder("download");
  LocalPeer unanswering([](PeerConnection& c) { c.readHttpRequest(); });
  const std::string refused = "http://127.0.0.1:" + std::to_string(support::refusedPort()) + "/";
  EXPECT_EQ(downloadTo(refused, folder / "refused"),
            "Problem HTTP: Problem z połączeniem [Connection refused]");
  EXPECT_EQ(downloadTo("http://no-such-host.invalid/x", folder / "nohost"),
            "Problem HTTP: Problem z DNS dla hosta [no-such-host.invalid]");
  EXPECT_EQ(downloadTo(unanswering.url(), folder / "unanswered"),
            "Problem HTTP: Odpowiedź bez wiersza statusu");
  EXPECT_EQ(downloadTo(unanswering.url("/a\r\nX: y"), folder / "unsendable")
                .rfind("Problem HTTP: Znak końca wiersza w części żądania", 0),
            0u);
  for (const char* name : {"refused", "nohost", "unanswered", "unsendable"}) {
    EXPECT_FALSE(fs::exists(folder / name)) << name;
  }
}

TEST(Download, AFileThatGotAnyByteOfAResponseStays) {
  support::Directory folder("download");
  LocalPeer notFound(
      LocalPeer::answering("HTTP/1.0 404 Not Found\r\nContent-Length: 7\r\n\r\nmissing"));
  LocalPeer headCut(LocalPeer::answering("HTTP/1.0 2"));
  LocalPeer bodyReset([](PeerConnection& c) {
    c.readHttpRequest();
    c.send("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nabc");
    c.resetOnClose();
  });
  EXPECT_EQ(downloadTo(notFound.url(), folder / "404"), "Problem HTTP: HTTP/1.0 404 Not Found");
  EXPECT_EQ(downloadTo(headCut.url(), folder / "head"),
            "Problem HTTP: Odpowiedź bez wiersza statusu");
  EXPECT_NE(downloadTo(bodyReset.url(), folder / "reset"), "none");
  EXPECT_EQ(support::readFile(folder / "404"), "missing");
  EXPECT_EQ(support::readFile(folder / "head"), "");
  EXPECT_EQ(support::readFile(folder / "reset"), "abc");
}

// Sends the head, then `piece` every 100 ms until the client goes or
// `pieces` are sent, and closes.
LocalPeer::Serve trickling(std::string piece, int pieces) {
  return [piece, pieces](PeerConnection& c) {
    c.readHttpRequest();
    if (!c.send("HTTP/1.0 200 OK\r\n\r\n")) return;
    for (int i = 0; i < pieces && c.send(piece); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  };
}

// Within a second, so that it never meets the 30-second wait: only the floor
// can end the first; the second is slow but always above it.
TEST(Download, APeerBelowTheFloorFailsAsAWaitThatRanOut) {
  support::Directory folder("download");
  LocalPeer trickle(trickling("x", 3000));
  LocalPeer steady(trickling(std::string(2048, 's'), 30));
  const FloorRule floor{std::chrono::seconds(1), 1024};
  EXPECT_EQ(downloadTo(trickle.url(), folder / "trickle", floor),
            "Problem HTTP: TIMEOUT - problem przy odbieraniu danych.");
  EXPECT_EQ(downloadTo(steady.url(), folder / "steady", floor), "none");
  EXPECT_NE(support::readFile(folder / "trickle").find('x'), std::string::npos)
      << "what came stays";
  EXPECT_EQ(support::readFile(folder / "steady"), std::string(30 * 2048, 's'));
}

TEST(Download, WritesOnlyTheFileItReserved) {
  support::Directory folder("download");
  LocalPeer small(LocalPeer::answering("HTTP/1.0 200 OK\r\n\r\nbody"));
  support::writeFile(folder / "victim", "keep me");
  platform::Result<ReservedFile> reserved = ReservedFile::create(folder / "link");
  ASSERT_TRUE(reserved.ok());
  fs::remove(folder / "link");
  fs::create_symlink(folder / "victim", folder / "link");
  EXPECT_EQ(bridge::network::download(small.url(), folder / "link", std::move(*reserved),
                                      [](const std::string&) {})
                .value_or("none"),
            "Problem HTTP: Problem przy zapisywaniu danych [" + folder / "link" + "]");
  EXPECT_EQ(bridge::network::download(small.url(), folder / "none", ReservedFile(),
                                      [](const std::string&) {})
                .value_or("none"),
            "Problem HTTP: Problem przy zapisywaniu danych [" + folder / "none" + "]");
  EXPECT_EQ(support::readFile(folder / "victim"), "keep me");
  EXPECT_TRUE(fs::is_symlink(folder / "link"));
  EXPECT_TRUE(small.requests().empty()) << "no request goes out without its file";
}

}  // namespace
