// PdfObj::fromJSON of a document of about 10 MB next to jsoncpp parsing the
// same text into its value tree, in the same run; fastest of five rounds.
#include <json/reader.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>

#include "bench/print/bench_document.h"

namespace {

double fastestMs(const std::function<void()>& work) {
  double best = 1e300;
  for (int round = 0; round < 5; ++round) {
    const auto started = std::chrono::steady_clock::now();
    work();
    const std::chrono::duration<double, std::milli> took =
        std::chrono::steady_clock::now() - started;
    best = std::min(best, took.count());
  }
  return best;
}

}  // namespace

int main() {
  const AnsiString json = bench::benchDocument(600, 100).toJSON();
  const double megabytes = json.Length() / 1e6;

  int pages = 0;
  const double positional = fastestMs([&] { pages = PdfObj::fromJSON(json).pages().Count(); });
  bool parsed = false;
  const double general = fastestMs([&] {
    Json::CharReaderBuilder builder;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    parsed = reader->parse(json.CStr(), json.CStr() + json.Length(), &root, nullptr);
  });
  if (pages != 600 || !parsed) {
    std::printf("print json bench: a reader failed\n");
    return 1;
  }
  std::printf("read a %.1f MB print document\n", megabytes);
  std::printf("  jsoncpp value tree         %8.1f ms  %7.1f MB/s\n", general,
              megabytes / general * 1e3);
  std::printf(
      "  PdfObj::fromJSON           %8.1f ms  %7.1f MB/s   throughput ratio %.2f (goal >= 1)\n",
      positional, megabytes / positional * 1e3, general / positional);
  return 0;
}
