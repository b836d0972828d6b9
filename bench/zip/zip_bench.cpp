// Zip benchmarks, each next to Info-ZIP's unzip doing the same work in the
// same run, on archives made by Python's zipfile:
//  1. unzipToFile of a 200 MiB deflated member, against
//     `unzip -p archive member > file`, and how much the shell's peak
//     resident memory grows during the extractions;
//  2. getZipDir of an archive of 100,000 members, answered to the page and
//     parsed there, against `unzip -Z1 archive > /dev/null`;
//  3. getZipEntry of a 10 MiB text member, against
//     `unzip -p archive member > /dev/null`;
//  4. the reader opening an archive of 20,000 members whose comment holds
//     2,900 end records that lead to no directory, against the same archive
//     without them.
// The reader is timed alone as well, to show where the commands' time goes.
// Every figure is the fastest of three rounds.
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "bench/page_bench.h"
#include "tests/support/page_runner.h"
#include "tests/support/scratch.h"
#include "tests/support/zip_fixtures.h"
#include "zip/zip_archive.h"

namespace {

using bench::logged;
using bench::shell;

namespace fs = std::filesystem;

const int kLargeMegabytes = 200;
const int kManyMembers = 100000;
const int kTextMegabytes = 10;
const int kFalseEndsMembers = 20000;
const int kFalseEnds = 2900;  // zip_fixtures.py
const int kRounds = 3;

double fastestMs(const std::function<bool()>& work) { return bench::fastestMs(work, kRounds); }

// A "Name:  value kB" line of /proc/<pid>/status, in KiB; -1 when missing.
long long statusKiB(int pid, const std::string& name) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.compare(0, name.size() + 1, name + ":") == 0)
      return std::atoll(line.c_str() + name.size() + 1);
  }
  return -1;
}

// The running shell: the child of this process named pageshell; 0 if none.
int shellProcess() {
  for (const auto& entry : fs::directory_iterator("/proc")) {
    const std::string pid = entry.path().filename().string();
    if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream stat(entry.path() / "stat");
    std::string text;
    std::getline(stat, text);
    const std::size_t open = text.find('('), close = text.rfind(')');
    if (open == std::string::npos || close == std::string::npos) continue;
    if (text.substr(open + 1, close - open - 1) != "pageshell") continue;
    if (std::atoi(text.c_str() + close + 4) == ::getpid()) return std::stoi(pid);
  }
  return 0;
}

// Watches the shell while the page runs: at the page's start marker it resets
// the shell's peak resident size (clear_refs) and notes its resident size; at
// the end marker it reads the peak again.
class MemoryWatch {
 public:
  explicit MemoryWatch(std::string marks)
      : marks_(std::move(marks)), thread_([this] { watch(); }) {}
  ~MemoryWatch() { stop(); }

  void stop() {
    stopped_ = true;
    if (thread_.joinable()) thread_.join();
  }

  long long startKiB = -1;
  long long peakKiB = -1;

 private:
  bool waitFor(const std::string& mark) {
    while (!stopped_ && !fs::exists(marks_ + mark))
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return !stopped_;
  }

  void watch() {
    if (!waitFor("extract-start")) return;
    const int pid = shellProcess();
    if (pid == 0) return;
    std::ofstream("/proc/" + std::to_string(pid) + "/clear_refs") << "5";
    startKiB = statusKiB(pid, "VmRSS");
    if (!waitFor("extract-end")) return;
    peakKiB = statusKiB(pid, "VmHWM");
  }

  std::string marks_;
  std::atomic<bool> stopped_{false};
  std::thread thread_;
};

}  // namespace

int main() {
  std::string dir = (fs::temp_directory_path() / "pageshell-zipbench-XXXXXX").string();
  if (mkdtemp(&dir[0]) == nullptr) return 1;
  const std::string zips = dir + "/zips/";
  const std::string out = dir + "/out/";
  const std::string marks = dir + "/marks/";
  fs::create_directories(out);
  fs::create_directories(marks);
  std::printf("making the archives (python3 zipfile)...\n");
  std::fflush(stdout);
  support::makeZipFixtures(
      zips, {kLargeMegabytes, kManyMembers, kTextMegabytes, false, kFalseEndsMembers});

  e2e::RunOptions options;
  options.files["bench_data.js"] =
      "var BENCH = {zips: \"" + zips + "\", out: \"" + out + "\", marks: \"" + marks + "\"};\n";
  bench::addPageScript(options);
  options.timeout = std::chrono::seconds(600);
  MemoryWatch memory(marks);
  const e2e::PageRun run = e2e::runPage("bench_zip.html", options);
  memory.stop();

  const double extract = logged(run, "extract");
  const double dirTotal = logged(run, "dir");
  const double entryTotal = logged(run, "entry");
  if (extract < 0 || dirTotal < 0 || entryTotal < 0 || logged(run, "dir-names") != kManyMembers ||
      logged(run, "entry-chars") <= 0) {
    std::printf("zip bench: the page did not report (exit %d)\n%s", run.exitCode,
                run.output.c_str());
    for (const std::string& line : run.logLines) std::printf("%s\n", line.c_str());
    return 1;
  }
  const std::string large = out + "large-0.bin";
  if (!shell("cmp -s '" + large + "' '" + zips + "src/large.bin'")) {
    std::printf("zip bench: the extracted member differs from the original\n");
    return 1;
  }

  const double unzipLarge = fastestMs([&] {
    return shell("unzip -p '" + zips + "large.zip' large.bin > '" + out + "unzip-large.bin'");
  });
  const double unzipList =
      fastestMs([&] { return shell("unzip -Z1 '" + zips + "many.zip' > /dev/null"); });
  const double unzipText =
      fastestMs([&] { return shell("unzip -p '" + zips + "text.zip' text.txt > /dev/null"); });

  // As in the shell (app/main.cpp), and only now, so that unzip runs as it always has.
  ::setenv("TZ", ":/etc/localtime", 0);
  const double readerLarge = fastestMs([&] {
    return readZipEntry(zips + "large.zip", "large.bin", [](const char*, std::size_t) {}) ==
           ZipRead::kWhole;
  });
  const double readerList =
      fastestMs([&] { return listZipEntries(zips + "many.zip").size() == kManyMembers; });
  const double readerText = fastestMs([&] {
    std::string text;
    return readZipEntry(zips + "text.zip", "text.txt",
                        [&text](const char* bytes, std::size_t size) {
                          text.append(bytes, size);
                        }) == ZipRead::kWhole;
  });

  // The same archive with its comment cut off, both read from memory.
  const std::string falseEnds = support::readFile(zips + "false-ends.zip");
  std::string plainEnd = falseEnds.substr(0, falseEnds.size() - kFalseEnds * 22);
  plainEnd[plainEnd.size() - 2] = plainEnd[plainEnd.size() - 1] = '\0';
  const auto opensWhole = [](const std::string& bytes) {
    const std::optional<ZipArchive> archive = ZipArchive::openBytes(bytes);
    return archive && archive->names().size() == std::size_t{kFalseEndsMembers};
  };
  const double readerPlainEnd = fastestMs([&] { return opensWhole(plainEnd); });
  const double readerFalseEnds = fastestMs([&] { return opensWhole(falseEnds); });

  std::printf("extract  %d MiB member     unzip -p > file                  %8.1f ms\n",
              kLargeMegabytes, unzipLarge);
  std::printf("extract  %d MiB member     unzipToFile                      %8.1f ms   ratio %.2f\n",
              kLargeMegabytes, extract, extract / unzipLarge);
  std::printf(
      "         reading alone (inflate, CRC) %.1f ms; the rest writes, syncs and renames the "
      "file\n",
      readerLarge);
  if (memory.startKiB > 0 && memory.peakKiB > 0) {
    std::printf(
        "         shell resident %.1f MiB at the start, peak %.1f MiB: grew %.1f MiB (goal < 32)\n",
        memory.startKiB / 1024.0, memory.peakKiB / 1024.0,
        (memory.peakKiB - memory.startKiB) / 1024.0);
  } else {
    std::printf("         the shell's memory could not be watched\n");
  }
  std::printf("list     %d members      unzip -Z1 > /dev/null            %8.1f ms\n", kManyMembers,
              unzipList);
  std::printf("list     %d members      getZipDir + JSON.parse           %8.1f ms   ratio %.2f\n",
              kManyMembers, dirTotal, dirTotal / unzipList);
  std::printf(
      "         command %.1f ms (reading the directory alone %.1f ms), reading result %.1f ms, "
      "JSON.parse %.1f ms\n",
      logged(run, "dir-command"), readerList, logged(run, "dir-result"), logged(run, "dir-parse"));
  std::printf("entry    %d MiB text        unzip -p > /dev/null             %8.1f ms\n",
              kTextMegabytes, unzipText);
  std::printf(
      "entry    %d MiB text        getZipEntry + JSON.parse         %8.1f ms   ratio %.2f\n",
      kTextMegabytes, entryTotal, entryTotal / unzipText);
  std::printf(
      "         command %.1f ms (inflating alone %.1f ms), reading result %.1f ms, JSON.parse %.1f "
      "ms\n",
      logged(run, "entry-command"), readerText, logged(run, "entry-result"),
      logged(run, "entry-parse"));
  std::printf("open     %d members      one end record                   %8.1f ms\n",
              kFalseEndsMembers, readerPlainEnd);
  std::printf("open     %d members      behind %d false end records    %8.1f ms   ratio %.2f\n",
              kFalseEndsMembers, kFalseEnds, readerFalseEnds, readerFalseEnds / readerPlainEnd);

  std::error_code ignored;
  fs::remove_all(dir, ignored);
  fs::remove_all(run.directory, ignored);
  return 0;
}
