// Start-up to the page's load event, then exit: the shell on a page that
// sends "exit" from its onload handler, against a minimal program on the same
// engine (minimal_view) that loads the same page and ends when it has loaded.
// The two take turns; each keeps its fastest wall time and its least CPU time
// (user + system), measured from fork to the end of the process. A run of
// each apart, untimed, samples the resident memory of its whole process tree
// (an engine may render in processes of its own).
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>

#include "tests/support/page_runner.h"

namespace {

namespace fs = std::filesystem;

const int kTurns = 7;

struct Times {
  double wallMs = 1e300;
  double cpuMs = 1e300;
};

double ms(const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; }

pid_t start(const std::string& program, const std::string& directory,
            const std::string& runtimeDirectory) {
  const pid_t child = fork();
  if (child == 0) {
    if (chdir(directory.c_str()) != 0) _exit(126);
    freopen("/dev/null", "w", stdout);
    freopen("/dev/null", "w", stderr);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("XDG_RUNTIME_DIR", runtimeDirectory.c_str(), 1);
    // Chromium starts no sandbox for the superuser; the shell says so itself.
    if (geteuid() == 0) setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  return child;
}

// The resident KiB of `root` and every process below it, summed.
long treeKiB(pid_t root) {
  std::map<pid_t, pid_t> parents;
  std::map<pid_t, long> resident;
  for (const auto& entry : fs::directory_iterator("/proc")) {
    const std::string name = entry.path().filename();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream status(entry.path() / "status");
    std::string line;
    const pid_t pid = std::stoi(name);
    while (std::getline(status, line)) {
      std::istringstream fields(line);
      std::string key;
      long value = 0;
      fields >> key >> value;
      if (key == "PPid:") parents[pid] = value;
      if (key == "VmRSS:") resident[pid] = value;
    }
  }
  long sum = 0;
  for (const auto& [pid, kib] : resident) {
    for (pid_t p = pid; p > 1; p = parents.count(p) ? parents[p] : 0) {
      if (p == root) {
        sum += kib;
        break;
      }
    }
  }
  return sum;
}

// The largest summed resident memory of `program`'s process tree in one run.
long peakTreeKiB(const std::string& program, const std::string& directory,
                 const std::string& runtimeDirectory) {
  const pid_t child = start(program, directory, runtimeDirectory);
  long peak = 0;
  int status = 0;
  while (child > 0 && waitpid(child, &status, WNOHANG) == 0) {
    peak = std::max(peak, treeKiB(child));
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return peak;
}

// Runs `program` in `directory` offscreen; false when it did not end with 0.
bool timeRun(const std::string& program, const std::string& directory,
             const std::string& runtimeDirectory, Times& best) {
  const auto started = std::chrono::steady_clock::now();
  const pid_t child = start(program, directory, runtimeDirectory);
  int status = 0;
  rusage usage{};
  if (child < 0 || wait4(child, &status, 0, &usage) != child) return false;
  const std::chrono::duration<double, std::milli> wall = std::chrono::steady_clock::now() - started;
  best.wallMs = std::min(best.wallMs, wall.count());
  best.cpuMs = std::min(best.cpuMs, ms(usage.ru_utime) + ms(usage.ru_stime));
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

int main() {
  std::string directory = (fs::temp_directory_path() / "pageshell-startup-XXXXXX").string();
  if (mkdtemp(&directory[0]) == nullptr) return 1;
  const std::string runtimeDirectory = directory + "/xdg";
  fs::create_directory(runtimeDirectory);
  chmod(runtimeDirectory.c_str(), 0700);
  const std::string pageDirectory = directory + "/page";
  fs::create_directory(pageDirectory);
  fs::copy_file(e2e::pagesDirectory() + "/load_exit.html", pageDirectory + "/index.html");

  Times shell;
  Times floor;
  bool ran = true;
  for (int turn = 0; turn < kTurns && ran; ++turn) {
    ran = timeRun(MINIMAL_VIEW_BINARY, pageDirectory, runtimeDirectory, floor) &&
          timeRun(e2e::shellBinary(), pageDirectory, runtimeDirectory, shell);
  }
  const long floorKiB = ran ? peakTreeKiB(MINIMAL_VIEW_BINARY, pageDirectory, runtimeDirectory) : 0;
  const long shellKiB = ran ? peakTreeKiB(e2e::shellBinary(), pageDirectory, runtimeDirectory) : 0;
  std::error_code ignored;
  fs::remove_all(directory, ignored);
  if (!ran) {
    std::printf("start-up bench: a program did not end by itself with 0\n");
    return 1;
  }
  std::printf("start-up to the load event, then exit; fastest of %d\n", kTurns);
  std::printf("  minimal program (%s)  %7.1f ms wall %7.1f ms CPU  %7.1f MiB peak tree\n",
              PAGESHELL_ENGINE_NAME, floor.wallMs, floor.cpuMs, floorKiB / 1024.0);
  std::printf(
      "  pageshell                  %7.1f ms wall %7.1f ms CPU  %7.1f MiB peak tree"
      "   ratio %.2f wall, %.2f CPU, %.2f memory\n",
      shell.wallMs, shell.cpuMs, shellKiB / 1024.0, shell.wallMs / floor.wallMs,
      shell.cpuMs / floor.cpuMs, static_cast<double>(shellKiB) / floorKiB);
  return 0;
}
