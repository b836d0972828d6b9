// The network commands through the real binary, against peers on 127.0.0.1
// that this test starts; the pages learn their ports from peers.js.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "tests/support/local_peer.h"
#include "tests/support/page_runner.h"

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

  e2e::RunOptions options;
  options.files["peers.js"] = peersScript({{"headerBody", headerBody.port()},
                                           {"echo", echo.port()},
                                           {"noSeparator", noSeparator.port()},
                                           {"keepOpen", keepOpen.port()},
                                           {"silentClose", silentClose.port()},
                                           {"refused", support::refusedPort()}});
  const e2e::PageRun run = e2e::runPage("net_tcp.html", options);
  EXPECT_EQ(e2e::failureReport(run), "");
}

}  // namespace
