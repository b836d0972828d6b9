// The shell and its protocol, driven by pages through the real binary.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "tests/support/engine.h"
#include "tests/support/page_runner.h"

namespace {

using e2e::messagesStartingWith;
using e2e::runPage;

TEST(ShellProtocol, AnswersAndRefusesAsPagesExpect) {
  const e2e::PageRun run = runPage("shell_protocol.html");
  ASSERT_EQ(e2e::failureReport(run), "");

  // The version mismatch names both sides in one line.
  EXPECT_EQ(messagesStartingWith(run, "BADVERSION"),
            std::vector<std::string>{"BADVERSION [1.0.3.20150321 // old-page] vs "
                                     "[1.0.3.20150320 // -quendrix-vabt.20150223]"});
  EXPECT_EQ(messagesStartingWith(run, "Command not found").size(), 3u);

  // Numbers, booleans, null and missing arguments are logged by the text rule.
  const auto& m = run.messages;
  auto logged = [&](const std::string& text) {
    return std::find(m.begin(), m.end(), text) != m.end();
  };
  EXPECT_TRUE(logged("42"));
  EXPECT_TRUE(logged("1.500000"));
  EXPECT_TRUE(logged("true"));
  EXPECT_TRUE(logged("-7"));
  EXPECT_TRUE(logged("zażółć gęślą jaźń"));
  EXPECT_GE(std::count(m.begin(), m.end(), ""), 2) << "log without and with null message";
  EXPECT_EQ(messagesStartingWith(run, "Command failed [log]: Type is not convertible").size(), 2u);
}

// Files and the log get UTF-8 only, the same on both engines; the channel
// neither breaks nor shows itself to a page that replaces its globals.
TEST(ShellChannel, LoneSurrogatesBecomeReplacementCharactersAndPageGlobalsDoNotMatter) {
  const e2e::PageRun run = runPage("shell_channel.html");
  ASSERT_EQ(e2e::failureReport(run), "");
  EXPECT_EQ(e2e::readFile(run.directory + "/high.txt"), "x\xEF\xBF\xBDy");
  EXPECT_EQ(e2e::readFile(run.directory + "/low.txt"), "a\xEF\xBF\xBD" "b");
  EXPECT_EQ(e2e::readFile(run.directory + "/raw.txt"), "r\xF0\x90\x80\x80\xEF\xBF\xBDw");
  EXPECT_EQ(messagesStartingWith(run, "lone "),
            std::vector<std::string>{"lone \xEF\xBF\xBD in a log line"});
  const auto console = messagesStartingWith(run, "Message from ");
  ASSERT_EQ(console.size(), 1u);
  EXPECT_TRUE(std::regex_search(console[0], std::regex(": lone \xEF\xBF\xBD in a console line$")))
      << console[0];
}

// QtWebKit runs the commands; Chromium blocks the page's calls, and the
// page is told so. The marker that tells the channel's calls apart never
// reaches the log, even in the engine's own line about a blocked call.
TEST(ShellChannel, ACommandWhileThePageUnloadsRunsOrIsAnsweredWithWhyNot) {
  e2e::RunOptions options;
  options.files["after.html"] = e2e::readFile(e2e::pagesDirectory() + "/shell_unload_after.html");
  const e2e::PageRun run = runPage("shell_unload.html", options);
  ASSERT_EQ(e2e::failureReport(run), "");
  for (const std::string& message : run.messages) {
    EXPECT_EQ(message.find("\x01pageshell-"), std::string::npos) << message;
  }
  if (support::onWebEngine()) {
    EXPECT_FALSE(messagesStartingWith(run, "Message from ").empty());
    for (const std::string& line : messagesStartingWith(run, "Message from ")) {
      EXPECT_NE(line.find("Blocked prompt('myObject.command')"), std::string::npos) << line;
    }
  }
}

TEST(ShellHooks, ConsoleMessagesAndAlertsBecomeLogLines) {
  const e2e::PageRun run = runPage("shell_hooks.html");
  ASSERT_EQ(e2e::failureReport(run), "");

  const auto console = messagesStartingWith(run, "Message from ");
  ASSERT_EQ(console.size(), 2u);
  EXPECT_TRUE(std::regex_match(
      console[0], std::regex("Message from file://.*/index\\.html#5: \\d\\d:\\d\\d:\\d\\d: "
                             "hello from line five")))
      << console[0];

  const auto alerts = messagesStartingWith(run, "Alert: ");
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_TRUE(std::regex_match(alerts[0], std::regex("Alert: \\d\\d:\\d\\d:\\d\\d: careful")))
      << alerts[0];

  // Line breaks stay inside the entry: a page cannot write a log line of its own.
  EXPECT_TRUE(std::regex_search(console[1],
                                std::regex(R"(: first half\\n20261208-120000: R DONE\\r\\u2028x$)")))
      << console[1];
}

TEST(ShellLog, OneFileNamedAfterTheStartTime) {
  const e2e::PageRun run = runPage("shell_hooks.html");
  ASSERT_EQ(e2e::failureReport(run), "");
  for (const std::string& line : run.logLines) {
    EXPECT_TRUE(std::regex_match(line, std::regex("\\d{8}-\\d{6}: .*"))) << line;
  }
}

TEST(ShellStart, MissingPicturesAndIconDoNotStopStartUp) {
  // The run directory has no Splash.png, Load.png or myIcon.ico; a broken
  // picture must not matter either.
  e2e::RunOptions options;
  options.files["Splash.png"] = "not a picture";
  const e2e::PageRun run = runPage("shell_protocol.html", options);
  EXPECT_EQ(e2e::failureReport(run), "");
}

TEST(ShellStart, MissingPageLeavesTheShellRunningQuietly) {
  // With no index.html nothing can ask the shell to exit: it must still be
  // alive, not crashed, when the test gives up on it.
  e2e::RunOptions options;
  options.timeout = std::chrono::seconds(4);
  const e2e::PageRun run = runPage("", options);
  EXPECT_TRUE(run.timedOut) << "exit code " << run.exitCode << "\n" << run.output;
}

}  // namespace

namespace {

TEST(ClientLibrary, CallsThrowsAndRoutesRecords) {
  const e2e::PageRun run = e2e::runPage("client_library.html");
  EXPECT_EQ(e2e::failureReport(run), "");
}

}  // namespace

namespace {

TEST(ShellHostilePages, DeepNestingHugeAnswersAndCutBatchesAreAnsweredAsErrors) {
  e2e::RunOptions options;
  options.setUp = [](const std::string& directory) {
    const std::string zeros = directory + "/zeros.bin";
    std::ofstream{zeros};
    std::filesystem::resize_file(zeros, 100u << 20);
  };
  options.timeout = std::chrono::seconds(120);
  const e2e::PageRun run = runPage("shell_hostile.html", options);
  ASSERT_EQ(e2e::failureReport(run), "");
  EXPECT_EQ(messagesStartingWith(run, "Command failed [sqliteAsyncQuery]: answer too large").size(),
            1u);
}

TEST(ShellHostilePages, DeletingTheWindowFromScriptEndsTheShellCleanly) {
  const e2e::PageRun run = runPage("shell_delete_window.html");
  EXPECT_EQ(e2e::failureReport(run), "");
}

TEST(ShellHostilePages, ExitWhileADialogOpenedDuringLoadShowsEndsTheShell) {
  if (support::onWebEngine()) {
    GTEST_SKIP() << "WebEngine runs no page script while a command waits: the exit cannot come";
  }
  const e2e::PageRun run = runPage("shell_exit_in_dialog.html");
  EXPECT_EQ(e2e::failureReport(run), "");
}

// What the WebEngine build is for: a page written for today's web platform.
TEST(ShellModernWeb, AModuleWithAsyncCodeAndGridLayoutRuns) {
  if (!support::onWebEngine()) GTEST_SKIP() << "QtWebKit has none of it";
  e2e::RunOptions options;
  options.files["modern_module.mjs"] = "export const twice = (n) => n * 2;\n";
  const e2e::PageRun run = runPage("shell_modern_web.html", options);
  EXPECT_EQ(e2e::failureReport(run), "");
}

TEST(ShellHostilePages, ABurstOfBackgroundCommandsIsAnsweredAndReportedWhole) {
  e2e::RunOptions options;
  options.timeout = std::chrono::seconds(150);
  const e2e::PageRun run = runPage("shell_burst.html", options);
  EXPECT_EQ(e2e::failureReport(run), "");
}

}  // namespace
