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

// Removed when no byte of a response came, however the download failed;
// kept once any did, even a cut head.
TEST(Download, AFileStaysOnlyOnceAByteOfAResponseCame) {
  support::Directory folder("download");
  LocalPeer unanswering([](PeerConnection& c) { c.readHttpRequest(); });
  LocalPeer headCut(LocalPeer::answering("HTTP/1.0 2"));
  const std::string refused = "http://127.0.0.1:" + std::to_string(support::refusedPort()) + "/";
  EXPECT_EQ(downloadTo(refused, folder / "refused"),
            "Problem HTTP: Problem z połączeniem [Connection refused]");
  EXPECT_EQ(downloadTo(unanswering.url(), folder / "unanswered"),
            "Problem HTTP: Odpowiedź bez wiersza statusu");
  EXPECT_EQ(downloadTo(unanswering.url("/a\r\nX: y"), folder / "unsendable")
                .rfind("Problem HTTP: Znak końca wiersza w części żądania", 0),
            0u);
  EXPECT_EQ(downloadTo(headCut.url(), folder / "head"),
            "Problem HTTP: Odpowiedź bez wiersza statusu");
  for (const char* name : {"refused", "unanswered", "unsendable"}) {
    EXPECT_FALSE(fs::exists(folder / name)) << name;
  }
  EXPECT_TRUE(fs::is_regular_file(folder / "head"));
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

// A piece every 100 ms never lets the 30-second wait run out: only the
// floor, here of a second's window, ends the first; the second is slow but
// always above it.
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

}  // namespace
