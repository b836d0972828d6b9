// What every page may keep between runs, and what -debug shows on the terminal.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/page_runner.h"

namespace {

namespace fs = std::filesystem;
using e2e::messagesStartingWith;
using e2e::runPage;

// Runs the storage page in a fresh folder holding what `earlier` left in storage/.
e2e::PageRun runAfter(const e2e::PageRun& earlier, std::vector<std::string> arguments = {}) {
  e2e::RunOptions options;
  options.arguments = std::move(arguments);
  options.setUp = [&](const std::string& directory) {
    fs::copy(earlier.directory + "/storage", directory + "/storage", fs::copy_options::recursive);
  };
  return runPage("page_storage.html", options);
}

TEST(PageStorage, LocalStorageOutlivesTheRunBesideTheLog) {
  const e2e::PageRun first = runPage("page_storage.html");
  ASSERT_EQ(e2e::failureReport(first), "");
  EXPECT_EQ(messagesStartingWith(first, "STORED "), std::vector<std::string>{"STORED null"});
  ASSERT_TRUE(fs::is_directory(first.directory + "/storage"));
  EXPECT_FALSE(fs::is_empty(first.directory + "/storage"));

  const e2e::PageRun second = runAfter(first);
  ASSERT_EQ(e2e::failureReport(second), "");
  EXPECT_EQ(messagesStartingWith(second, "STORED "),
            std::vector<std::string>{"STORED \"zażółć gęślą jaźń 1\""});

  const e2e::PageRun third = runAfter(second);
  EXPECT_EQ(messagesStartingWith(third, "STORED "),
            std::vector<std::string>{"STORED \"zażółć gęślą jaźń 2\""});
}

TEST(DebugSwitch, EveryLogLineAlsoGoesToStandardErrorWithDebugOnly) {
  const e2e::PageRun quiet = runPage("page_storage.html");
  ASSERT_EQ(e2e::failureReport(quiet), "");
  EXPECT_EQ(quiet.output.find("STORED"), std::string::npos) << quiet.output;

  e2e::RunOptions options;
  options.arguments = {"-debug"};
  const e2e::PageRun debug = runPage("page_storage.html", options);
  ASSERT_EQ(e2e::failureReport(debug), "");
  ASSERT_FALSE(debug.messages.empty());
  // Compared without time stamps: the terminal's may be a second later.
  for (const std::string& message : debug.messages) {
    EXPECT_NE(debug.output.find(": " + message + "\n"), std::string::npos) << message;
  }
  EXPECT_NE(debug.output.find("console line 1"), std::string::npos) << debug.output;
}

}  // namespace
