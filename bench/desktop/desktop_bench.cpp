// File and folder benchmarks, each next to a coreutils program doing the
// same work in the same run:
//  1. loadFileBase64 of a 100 MiB file, against `base64 -w0 file > /dev/null`;
//  2. listDirectory of a folder of 100,000 files, against
//     `find folder -maxdepth 1 -printf '%f %y %s %T@\n' > /dev/null`;
//  3. copyPath of a 1 GiB file, against `cp`.
// The ratio is of the command alone (its work, its answer and, on WebEngine,
// the answer's way into the page); reading `result` and the page's
// JSON.parse are given beside it; for loadFileBase64 also the shell's own
// part of the command, dispatched here without a page, and of that the
// answer's text, and the engine's own reading of a text of that size from a
// local file with a synchronous request; for copyPath also `cp` followed by a sync of the copy, as
// the shell syncs every file it writes. Every figure is the fastest of three
// rounds.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/page_bench.h"
#include "bridge/cmd_state.h"
#include "bridge/protocol/protocol.h"
#include "platform/memory.h"
#include "tests/support/page_runner.h"

namespace {

using bench::fastestMs;
using bench::logged;
using bench::shell;

namespace fs = std::filesystem;

const int kBase64Megabytes = 100;
const int kFiles = 100000;
const int kCopyMegabytes = 1024;
const int kRounds = 3;

bool makeFiles(const std::string& folder) {
  fs::create_directories(folder);
  for (int i = 0; i < kFiles; ++i) {
    const std::string name = folder + "/file-" + std::to_string(i) + ".txt";
    const int descriptor = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (descriptor < 0) return false;
    const std::string content(static_cast<std::size_t>(i % 100), 'x');
    const bool written = ::write(descriptor, content.data(), content.size()) ==
                         static_cast<ssize_t>(content.size());
    ::close(descriptor);
    if (!written) return false;
  }
  return true;
}

void printPair(const char* what, const char* anchorName, double anchor, const e2e::PageRun& run,
               const std::string& name, const char* goal) {
  const double command = logged(run, name + "-command");
  std::printf("%-30s %-34s %8.1f ms\n", what, anchorName, anchor);
  std::printf("%-30s %-34s %8.1f ms   ratio %.2f (goal %s)\n", "", name.c_str(), command,
              command / anchor, goal);
  std::printf("%-30s reading result %.1f ms, JSON.parse %.1f ms: with them %.1f ms, ratio %.2f\n",
              "", logged(run, name + "-result"), logged(run, name + "-parse"), logged(run, name),
              logged(run, name) / anchor);
}

}  // namespace

int main() {
  platform::tuneAllocatorForLargeBuffers();  // as the shell does, for its own part timed here
  std::string dir = (fs::temp_directory_path() / "pageshell-filesbench-XXXXXX").string();
  if (mkdtemp(&dir[0]) == nullptr) return 1;
  dir += "/";
  std::printf("making the files...\n");
  std::fflush(stdout);
  const std::string big = dir + "big.bin";
  const std::string huge = dir + "huge.bin";
  if (!shell("head -c " + std::to_string(kBase64Megabytes) + "M /dev/urandom > '" + big + "'") ||
      !shell("head -c " + std::to_string(kCopyMegabytes) + "M /dev/urandom > '" + huge + "'") ||
      !makeFiles(dir + "many")) {
    std::printf("desktop bench: the files could not be made\n");
    return 1;
  }

  e2e::RunOptions options;
  const long long base64Length = (std::int64_t{kBase64Megabytes} << 20) / 3 * 4 + 4;
  options.files["bench_data.js"] = "var BENCH = {dir: \"" + dir + "\", files: " +
                                   std::to_string(kFiles) +
                                   ", base64Length: " + std::to_string(base64Length) + "};\n";
  bench::addPageScript(options);
  options.timeout = std::chrono::seconds(600);
  const e2e::PageRun run = e2e::runPage("bench_files.html", options);
  if (logged(run, "base64-command") < 0 || logged(run, "list-command") < 0 ||
      logged(run, "copy-command") < 0) {
    std::printf("desktop bench: the page did not report (exit %d)\n%s", run.exitCode,
                run.output.c_str());
    for (const std::string& line : run.logLines) std::printf("%s\n", line.c_str());
    return 1;
  }

  const double base64 =
      fastestMs([&] { return shell("base64 -w0 '" + big + "' > /dev/null"); }, kRounds);
  const double find = fastestMs(
      [&] {
        return shell("find '" + dir + "many' -maxdepth 1 -printf '%f %y %s %T@\\n' > /dev/null");
      },
      kRounds);
  const std::string copy = dir + "cp-copy.bin";
  // As copyPath's rounds, each copy makes a new file; the removal is not timed.
  const auto fastestCopy = [&](const std::string& command) {
    double best = 1e300;
    for (int round = 0; round < kRounds; ++round) {
      best = std::min(best, fastestMs([&] { return shell(command); }, 1));
      fs::remove(copy);
    }
    return best;
  };
  const double cp = fastestCopy("cp '" + huge + "' '" + copy + "'");
  const double cpSynced = fastestCopy("cp '" + huge + "' '" + copy + "' && sync '" + copy + "'");

  // The shell's own part of loadFileBase64: the command as the dispatcher
  // runs it, and the answer's text alone for an answer of the same size.
  bridge::CmdState commands;
  const std::string request = std::string("[\"") + bridge::kProtocolVersion +
                              "\", \"bench\", \"loadFileBase64\", \"" + big + "\"]";
  const double own = fastestMs(
      [&] {
        return commands.runRequest(nullptr, nullptr, request).size() ==
               static_cast<std::size_t>(base64Length) + 19;
      },
      kRounds);
  const bridge::Answer sameSize =
      bridge::okAnswer(std::string(static_cast<std::size_t>(base64Length), 'A'));
  const double answerText =
      fastestMs([&] { return !bridge::writeList(sameSize).empty(); }, kRounds);

  printPair("loadFileBase64 100 MiB", "base64 -w0 > /dev/null", base64, run, "base64", "1.0");
  std::printf("%-30s the shell's own work (read, encode, answer text) %.1f ms, ratio %.2f\n", "",
              own, own / base64);
  std::printf("%-30s of which the answer's text %.1f ms\n", "", answerText);
  std::printf("%-30s the engine reading an answer of that size from a file %.1f ms, ratio %.2f\n",
              "", logged(run, "base64-engine"), logged(run, "base64-engine") / base64);
  printPair("listDirectory 100,000 files", "find -printf > /dev/null", find, run, "list", "1.5");
  printPair("copyPath 1 GiB", "cp", cp, run, "copy", "1.1");
  std::printf("%-30s against cp and sync of the copy %.1f ms: ratio %.2f\n", "", cpSynced,
              logged(run, "copy-command") / cpSynced);

  std::error_code ignored;
  fs::remove_all(dir, ignored);
  fs::remove_all(run.directory, ignored);
  return 0;
}
