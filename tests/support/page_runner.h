// Runs the real pageshell binary on a test page and collects what it logged.
//
// Each run gets a fresh temporary working directory holding the page as
// index.html, the shared assertion helpers (check.js) and the client library
// (pageshell.js). The shell runs offscreen with a private runtime directory.
// Pages report through the `log` command: lines starting with "FAIL" are
// failures, "DONE <passed> passed, <failed> failed" ends the page.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/scratch.h"

namespace e2e {

using support::readFile;
using support::writeFile;

struct RunOptions {
  std::vector<std::string> arguments;              // after the program name
  std::map<std::string, std::string> environment;  // added to the shell's
  std::map<std::string, std::string> files;        // extra files: name -> content
  // Runs in the working directory's path after the files are written, before
  // the shell starts: for what a file's content cannot say (FIFOs, links).
  std::function<void(const std::string& directory)> setUp;
  std::chrono::seconds timeout{60};
  // The shell's limit of open descriptors; 0 keeps the test's own.
  int maxOpenFiles = 0;
  // The shell's soft limit on the size of files it writes, in bytes; 0 keeps
  // the test's own.
  long maxFileSize = 0;
};

struct PageRun {
  // The working directory. It is removed when the last copy of the run goes,
  // unless PAGESHELL_KEEP_RUNS is set in the environment (to inspect it).
  std::string directory;
  std::shared_ptr<const void> removal;
  int exitCode = -1;  // -1 when the shell did not exit by itself
  bool timedOut = false;
  long peakMemoryKiB = 0;             // the shell's largest resident set
  std::string output;                 // standard output and error
  std::vector<std::string> logLines;  // whole log lines, time stamps included
  std::vector<std::string> messages;  // the same without their time stamps
};

// The built shell.
std::string shellBinary();

// The client library (pageshell.js) in the source tree.
std::string clientLibrary();

// Runs `page` (a file name in `pagesDirectory`; empty for no index.html at
// all) and waits for the shell to end. check.js comes from the same folder.
PageRun runPageFrom(const std::string& pagesDirectory, const std::string& page,
                    const RunOptions& options = {});

#ifdef PAGESHELL_PAGES
// The folder of the pages of the program that includes this header (its
// build defines PAGESHELL_PAGES), and a page of it run.
inline std::string pagesDirectory() { return PAGESHELL_PAGES; }

inline PageRun runPage(const std::string& page, const RunOptions& options = {}) {
  return runPageFrom(pagesDirectory(), page, options);
}
#endif

// Empty when the page ran to its end without failures; otherwise a readable
// report of the failures, the shell's output and its exit.
std::string failureReport(const PageRun& run);

// The same for the checks of one behaviour of a page, those after its
// check.section(name) and before the next: a test of its own for each names
// what failed. A page that did not end as it should fails every section.
std::string sectionReport(const PageRun& run, const std::string& section);

// Logged messages that start with `prefix`.
std::vector<std::string> messagesStartingWith(const PageRun& run, const std::string& prefix);

}  // namespace e2e
