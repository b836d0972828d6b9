#include "tests/support/page_runner.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

namespace e2e {

std::string shellBinary() { return PAGESHELL_BINARY; }

std::string clientLibrary() { return PAGESHELL_CLIENT_LIBRARY; }

PageRun runPageFrom(const std::string& pagesDirectory, const std::string& page,
                    const RunOptions& options) {
  PageRun run;
  run.directory = support::makeTemporaryDirectory("e2e");
  if (std::getenv("PAGESHELL_KEEP_RUNS") == nullptr) {
    run.removal = std::shared_ptr<const void>(nullptr, [directory = run.directory](const void*) {
      std::error_code ignored;
      std::filesystem::remove_all(directory, ignored);
    });
  }
  const std::string runtimeDir = support::makeTemporaryDirectory("xdg");

  if (!page.empty())
    writeFile(run.directory + "/index.html", readFile(pagesDirectory + "/" + page));
  writeFile(run.directory + "/check.js", readFile(pagesDirectory + "/check.js"));
  writeFile(run.directory + "/pageshell.js", readFile(clientLibrary()));
  for (const auto& [name, content] : options.files) writeFile(run.directory + "/" + name, content);
  if (options.setUp) options.setUp(run.directory);

  const std::string outputPath = run.directory + ".out";
  const pid_t child = fork();
  if (child == 0) {
    if (chdir(run.directory.c_str()) != 0) _exit(126);
    const rlimit files{static_cast<rlim_t>(options.maxOpenFiles),
                       static_cast<rlim_t>(options.maxOpenFiles)};
    if (options.maxOpenFiles > 0 && setrlimit(RLIMIT_NOFILE, &files) != 0) _exit(125);
    rlimit size{};
    getrlimit(RLIMIT_FSIZE, &size);
    size.rlim_cur = static_cast<rlim_t>(options.maxFileSize);
    if (options.maxFileSize > 0 && setrlimit(RLIMIT_FSIZE, &size) != 0) _exit(125);
    int out = open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(out, 1);
    dup2(out, 2);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("XDG_RUNTIME_DIR", runtimeDir.c_str(), 1);
    for (const auto& [name, value] : options.environment) setenv(name.c_str(), value.c_str(), 1);
    std::vector<std::string> args{shellBinary()};
    args.insert(args.end(), options.arguments.begin(), options.arguments.end());
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(&arg[0]);
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }

  const auto deadline = std::chrono::steady_clock::now() + options.timeout;
  int status = 0;
  rusage usage{};
  for (;;) {
    if (wait4(child, &status, WNOHANG, &usage) == child) break;
    if (std::chrono::steady_clock::now() > deadline) {
      kill(child, SIGKILL);
      wait4(child, &status, 0, &usage);
      run.timedOut = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (!run.timedOut) {
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  run.peakMemoryKiB = usage.ru_maxrss;
  run.output = readFile(outputPath);
  std::remove(outputPath.c_str());
  rmdir(runtimeDir.c_str());

  run.logLines = support::logLines(run.directory);
  for (const std::string& line : run.logLines)
    run.messages.push_back(support::withoutTimeStamp(line));
  return run;
}

std::vector<std::string> messagesStartingWith(const PageRun& run, const std::string& prefix) {
  std::vector<std::string> found;
  for (const std::string& message : run.messages) {
    if (message.compare(0, prefix.size(), prefix) == 0) found.push_back(message);
  }
  return found;
}

namespace {

// The failures logged in `section` (every failure when it is null), and how
// the run ended when that was not as it should.
std::string reportOf(const PageRun& run, const std::string* section) {
  std::ostringstream report;
  bool failed = false;
  bool inSection = section == nullptr;
  bool reached = inSection;
  // A FAIL message may span several log lines; the lines that follow it
  // without a time stamp belong to it.
  bool inFailure = false;
  for (size_t i = 0; i < run.logLines.size(); ++i) {
    const std::string& message = run.messages[i];
    const bool stamped = run.logLines[i] != message;
    if (stamped && section != nullptr && message.compare(0, 8, "SECTION ") == 0) {
      inSection = message.compare(8, std::string::npos, *section) == 0;
      reached = reached || inSection;
    }
    if (stamped) inFailure = inSection && message.compare(0, 4, "FAIL") == 0;
    if (inFailure) {
      report << message << "\n";
      failed = true;
    }
  }
  if (!reached) {
    report << "The page did not reach its section [" << *section << "].\n";
    failed = true;
  }
  const auto done = messagesStartingWith(run, "DONE ");
  if (done.empty()) {
    report << "The page did not reach its end (no DONE line).\n";
    failed = true;
  }
  if (run.timedOut) {
    report << "The shell did not exit in time and was killed.\n";
    failed = true;
  } else if (run.exitCode != 0) {
    report << "The shell exited with " << run.exitCode << ".\n";
    failed = true;
  }
  if (!failed) return std::string();
  report << "--- working directory (PAGESHELL_KEEP_RUNS=1 keeps it): " << run.directory
         << "\n--- log:\n";
  for (const std::string& line : run.logLines) report << line << "\n";
  report << "--- output:\n" << run.output;
  return report.str();
}

}  // namespace

std::string failureReport(const PageRun& run) { return reportOf(run, nullptr); }

std::string sectionReport(const PageRun& run, const std::string& section) {
  return reportOf(run, &section);
}

}  // namespace e2e
