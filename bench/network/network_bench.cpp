// Network benchmarks, each next to curl doing the same in the same run,
// against the same peer on 127.0.0.1:
//  1. ajaxToFile of 1 GiB beside `curl -s -o file`: throughput ratio, and
//     how much the shell's peak memory grows over a run that downloads 1 KiB;
//  2. the same over TLS, against a server of Python's ssl module with a test
//     authority that both trust (goal: 0.9 of curl's throughput or better,
//     memory growing by less than 16 MiB);
//  3. 100 downloads of 1 MB started at once beside 100 curl runs in turn;
//  4. tcpPush of a 100 MB answer: throughput and the shell's peak memory.
// The 1 GiB figures are the fastest of two rounds.
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "tests/support/local_peer.h"
#include "bench/page_bench.h"
#include "tests/support/page_runner.h"
#include "tests/support/scratch.h"
#include "tests/support/tls_peers.h"

namespace {

using bench::logged;

namespace fs = std::filesystem;
using support::LocalPeer;
using support::PeerConnection;

constexpr long long kLarge = 1LL << 30;
constexpr long long kMedium = 1000000;
constexpr long long kAnswer = 100000000;
constexpr int kMany = 100;
constexpr int kRounds = 2;

// Serves `size` body bytes after a head with their length, from a buffer
// sent over and over.
LocalPeer::Serve serving(long long size) {
  return [size](PeerConnection& connection) {
    connection.readHttpRequest();
    static const std::string block(1 << 20, 'b');
    if (!connection.send("HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(size) + "\r\n\r\n"))
      return;
    for (long long left = size; left > 0; left -= static_cast<long long>(block.size())) {
      if (!connection.send(left >= static_cast<long long>(block.size()) ? block
                                                                        : block.substr(0, left)))
        return;
    }
  };
}

// A route of tls_peers.py: `size` body bytes after a head with their length.
std::string sizedRoute(const std::string& path, long long size) {
  const std::string count = std::to_string(size);
  return "\"" + path + "\": {\"head\": \"HTTP/1.0 200 OK\\r\\nContent-Length: " + count +
         "\", \"size\": " + count + "}";
}

bool recordsOk(const e2e::PageRun& run) {
  const auto lines = e2e::messagesStartingWith(run, "RECORDS ");
  if (lines.empty()) return false;
  for (const std::string& line : lines) {
    if (line != "RECORDS ok") return false;
  }
  return true;
}

e2e::PageRun runBench(const std::string& data, const std::string& tmp,
                      const std::map<std::string, std::string>& environment = {}) {
  e2e::RunOptions options;
  options.environment = environment;
  options.files["bench_data.js"] = "var BENCH = " + data + ";\n";
  options.files["check.js"] = support::readFile(PAGESHELL_CHECK_JS);
  options.environment["TMPDIR"] = tmp;
  options.timeout = std::chrono::seconds(900);
  e2e::PageRun run = e2e::runPage("bench_network.html", options);
  if (!e2e::failureReport(run).empty()) {
    std::printf("network bench: the page failed\n%s\n", e2e::failureReport(run).c_str());
    std::exit(1);
  }
  return run;
}

double curlMs(const std::string& url, const std::string& file, const std::string& options = "") {
  const auto started = std::chrono::steady_clock::now();
  if (std::system(("curl -s " + options + " -o '" + file + "' '" + url + "'").c_str()) != 0) {
    std::printf("network bench: curl failed\n");
    std::exit(1);
  }
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started)
      .count();
}

double mibPerSecond(long long bytes, double ms) { return bytes / 1048576.0 / (ms / 1000.0); }

}  // namespace

int main() {
  support::Directory tmp("netbench");
  LocalPeer large(serving(kLarge));
  LocalPeer medium(serving(kMedium));
  LocalPeer tiny(serving(1024));
  LocalPeer answer([](PeerConnection& connection) {
    connection.readBytes(5);
    connection.send("Answer: 1\r\n\r\n" + std::string(kAnswer, 'a'));
  });

  const auto clean = [&tmp] {
    for (const auto& entry : fs::directory_iterator(tmp.path())) fs::remove(entry.path());
  };
  const auto quoted = [](const std::string& text) { return "\"" + text + "\""; };

  // Shell and curl take turns, and each file goes before the next round, so
  // that neither meets the other's unwritten pages.
  const auto compare = [&](const std::string& what, const std::string& largeUrl,
                           const std::string& tinyUrl, const std::string& curlOptions,
                           const std::map<std::string, std::string>& environment, long limitMiB) {
    const e2e::PageRun baseline =
        runBench("{mode: \"download\", url: " + quoted(tinyUrl) + "}", tmp.path(), environment);
    clean();
    double curlBest = 1e300;
    double shellMs = 1e300;
    long peakKiB = 0;
    bool inOrder = true;
    for (int round = 0; round < kRounds; ++round) {
      const e2e::PageRun download =
          runBench("{mode: \"download\", url: " + quoted(largeUrl) + "}", tmp.path(), environment);
      shellMs = std::min(shellMs, logged(download, "download"));
      peakKiB = std::max(peakKiB, download.peakMemoryKiB);
      inOrder = inOrder && recordsOk(download);
      clean();
      curlBest = std::min(curlBest, curlMs(largeUrl, tmp / "curl.bin", curlOptions));
      clean();
    }
    const long growthKiB = peakKiB - baseline.peakMemoryKiB;
    std::printf("%-18s curl -s -o file          %8.0f ms  %7.0f MiB/s\n", what.c_str(), curlBest,
                mibPerSecond(kLarge, curlBest));
    std::printf(
        "%-18s ajaxToFile               %8.0f ms  %7.0f MiB/s  ratio %.2f of curl's "
        "throughput\n",
        what.c_str(), shellMs, mibPerSecond(kLarge, shellMs), curlBest / shellMs);
    std::printf(
        "         peak memory %ld MiB, %ld KiB over a 1 KiB download (%s %ld MiB); records %s\n",
        peakKiB / 1024, growthKiB, growthKiB < limitMiB * 1024 ? "<" : "OVER", limitMiB,
        inOrder ? "complete and in order" : "WRONG");
  };

  compare("download 1 GiB", large.url(), tiny.url(), "", {}, 32);

  const support::TestAuthority authority;
  const support::TlsPeers secure(authority, "{\"tls\": {\"certificate\": \"good\", \"routes\": {" +
                                                sizedRoute("/large", kLarge) + ", " +
                                                sizedRoute("/tiny", 1024) + "}}}");
  compare("1 GiB over TLS", secure.https("tls", "/large"), secure.https("tls", "/tiny"),
          "--cacert '" + authority.trustFile() + "'", {{"SSL_CERT_FILE", authority.trustFile()}},
          16);

  const e2e::PageRun many = runBench(
      "{mode: \"many\", count: " + std::to_string(kMany) + ", url: " + quoted(medium.url()) + "}",
      tmp.path());
  clean();
  const auto started = std::chrono::steady_clock::now();
  for (int i = 0; i < kMany; ++i) curlMs(medium.url(), tmp / ("curl-" + std::to_string(i)));
  const double curlMany =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
  clean();
  std::printf("100 x 1 MB         curl runs in turn        %8.0f ms\n", curlMany);
  std::printf(
      "100 x 1 MB         ajaxToFile all at once   %8.0f ms  ratio %.2f of curl's time; records "
      "%s\n",
      logged(many, "many"), logged(many, "many") / curlMany,
      recordsOk(many) ? "complete and in order per id" : "WRONG");

  const e2e::PageRun push =
      runBench("{mode: \"push\", port: " + std::to_string(answer.port()) + "}", tmp.path());
  const double pushMs = logged(push, "push");
  std::printf("tcpPush 100 MB answer                     %8.0f ms  %7.0f MiB/s  body %.0f bytes\n",
              pushMs, mibPerSecond(kAnswer, pushMs), logged(push, "push-bytes"));
  std::printf("         peak memory %ld MiB (the answer is held whole, as text for the page)\n",
              push.peakMemoryKiB / 1024);
  return 0;
}
