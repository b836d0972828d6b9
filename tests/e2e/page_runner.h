// Runs the real pageshell binary on a test page and collects what it logged.
//
// Each run gets a fresh temporary working directory holding the page as
// index.html, the shared assertion helpers (check.js) and the client library
// (pageshell.js). The shell runs offscreen with a private runtime directory.
// Pages report through the `log` command: lines starting with "FAIL" are
// failures, "DONE <passed> passed, <failed> failed" ends the page.
#pragma once

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace e2e {

struct RunOptions {
  std::vector<std::string> arguments;                 // after the program name
  std::map<std::string, std::string> environment;     // added to the shell's
  std::map<std::string, std::string> files;           // extra files: name -> content
  std::chrono::seconds timeout{60};
};

struct PageRun {
  std::string directory;              // the working directory (kept for inspection)
  int exitCode = -1;                  // -1 when the shell did not exit by itself
  bool timedOut = false;
  std::string output;                 // standard output and error
  std::vector<std::string> logLines;  // whole log lines, time stamps included
  std::vector<std::string> messages;  // the same without their time stamps
};

// The source folder of the e2e pages, and the built shell.
std::string pagesDirectory();
std::string shellBinary();

// Runs `page` (a file name in the pages folder; empty for no index.html at
// all) and waits for the shell to end.
PageRun runPage(const std::string& page, const RunOptions& options = {});

// Empty when the page ran to its end without failures; otherwise a readable
// report of the failures, the shell's output and its exit.
std::string failureReport(const PageRun& run);

// Logged messages that start with `prefix`.
std::vector<std::string> messagesStartingWith(const PageRun& run, const std::string& prefix);

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& content);

}  // namespace e2e
