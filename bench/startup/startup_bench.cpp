// Start-up to the page's load event, then exit: the shell on a page that
// sends "exit" from its onload handler, against a minimal QWebView program
// (minimal_view) that loads the same page and ends when it has loaded. The
// two take turns; each keeps its fastest wall time and its least CPU time
// (user + system), measured from fork to the end of the process.
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/page_runner.h"

namespace {

namespace fs = std::filesystem;

const int kTurns = 7;

struct Times {
  double wallMs = 1e300;
  double cpuMs = 1e300;
};

double ms(const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; }

// Runs `program` in `directory` offscreen; false when it did not end with 0.
bool timeRun(const std::string& program, const std::string& directory,
             const std::string& runtimeDirectory, Times& best) {
  const auto started = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    if (chdir(directory.c_str()) != 0) _exit(126);
    freopen("/dev/null", "w", stdout);
    freopen("/dev/null", "w", stderr);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("XDG_RUNTIME_DIR", runtimeDirectory.c_str(), 1);
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
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
  std::error_code ignored;
  fs::remove_all(directory, ignored);
  if (!ran) {
    std::printf("start-up bench: a program did not end by itself with 0\n");
    return 1;
  }
  std::printf("start-up to the load event, then exit; fastest of %d\n", kTurns);
  std::printf("  minimal QWebView program   %7.1f ms wall %7.1f ms CPU\n", floor.wallMs,
              floor.cpuMs);
  std::printf(
      "  pageshell                  %7.1f ms wall %7.1f ms CPU   ratio %.2f wall, %.2f CPU\n",
      shell.wallMs, shell.cpuMs, shell.wallMs / floor.wallMs, shell.cpuMs / floor.cpuMs);
  return 0;
}
