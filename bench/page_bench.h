// What the page benchmarks share: timing work, running a command of the
// machine's own for the anchor, the pages' own shared script, and reading a
// figure a page logged as "BENCH <name> <value>".
#pragma once

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>

#include "tests/support/page_runner.h"

namespace bench {

// The fastest of `rounds` runs of `work`, in milliseconds; -1 when a run
// fails.
inline double fastestMs(const std::function<bool()>& work, int rounds) {
  double best = 1e300;
  for (int round = 0; round < rounds; ++round) {
    const auto started = std::chrono::steady_clock::now();
    if (!work()) return -1;
    const std::chrono::duration<double, std::milli> took =
        std::chrono::steady_clock::now() - started;
    if (took.count() < best) best = took.count();
  }
  return best;
}

inline bool shell(const std::string& command) { return std::system(command.c_str()) == 0; }

// Puts bench_page.js, the script the benchmark pages share, beside the page.
inline void addPageScript(e2e::RunOptions& options) {
  options.files["bench_page.js"] = e2e::readFile(PAGESHELL_BENCH_PAGE_SCRIPT);
}

// The figure the page logged under `name`; -1 when it logged none.
inline double logged(const e2e::PageRun& run, const std::string& name) {
  for (const std::string& message : e2e::messagesStartingWith(run, "BENCH " + name + " ")) {
    return std::atof(message.c_str() + 7 + name.size());
  }
  return -1;
}

}  // namespace bench
