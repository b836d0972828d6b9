// What every page may keep between runs, and what -debug shows on the terminal.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <utility>

#include "platform/folder_lock.h"
#include "tests/support/local_peer.h"
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
  // Nothing the engine keeps for the app goes into the user's home: it stays
  // with the app.
  support::Directory home("home");
  e2e::RunOptions options;
  options.environment = {{"HOME", home.path()}, {"XDG_DATA_HOME", ""}, {"XDG_CACHE_HOME", ""}};
  const e2e::PageRun first = runPage("page_storage.html", options);
  ASSERT_EQ(e2e::failureReport(first), "");
  EXPECT_EQ(messagesStartingWith(first, "STORED "), std::vector<std::string>{"STORED null"});
  ASSERT_TRUE(fs::is_directory(first.directory + "/storage"));
  EXPECT_FALSE(fs::is_empty(first.directory + "/storage"));
  // (A system library's cache, such as GStreamer's plugin registry on
  // QtWebKit, is the system's, not the app's.)
  EXPECT_FALSE(fs::exists(home / ".local")) << "the app's data went into the home folder";

  const e2e::PageRun second = runAfter(first);
  ASSERT_EQ(e2e::failureReport(second), "");
  EXPECT_EQ(messagesStartingWith(second, "STORED "),
            std::vector<std::string>{"STORED \"zażółć gęślą jaźń 1\""});

  const e2e::PageRun third = runAfter(second);
  EXPECT_EQ(messagesStartingWith(third, "STORED "),
            std::vector<std::string>{"STORED \"zażółć gęślą jaźń 2\""});
}

// Storage that cannot be kept still works for the run, and the log says so.
TEST(PageStorage, StorageThatCannotBeKeptIsReportedNotLostSilently) {
  const std::vector<std::pair<const char*, std::function<void(const std::string&)>>> cases = {
      {"a plain file", [](const std::string& d) { e2e::writeFile(d + "/storage", "x"); }},
      {"a dangling link",
       [](const std::string& d) { fs::create_symlink(d + "/gone", d + "/storage"); }},
  };
  for (const auto& [what, setUp] : cases) {
    SCOPED_TRACE(what);
    e2e::RunOptions options;
    options.setUp = setUp;
    const e2e::PageRun run = runPage("page_storage.html", options);
    EXPECT_EQ(e2e::failureReport(run), "");
    EXPECT_EQ(messagesStartingWith(run, "localStorage not kept: storage: ").size(), 1u);
  }
}

// The same app started twice in one folder: the second run never writes
// the first one's storage.
TEST(PageStorage, ASecondShellInTheFolderLeavesTheFirstsStorageAlone) {
  const e2e::PageRun first = runPage("page_storage.html");
  ASSERT_EQ(e2e::failureReport(first), "");
  std::optional<platform::FolderLock> held;
  e2e::RunOptions options;
  options.setUp = [&](const std::string& directory) {
    fs::copy(first.directory + "/storage", directory + "/storage", fs::copy_options::recursive);
    auto lock = platform::FolderLock::acquire(directory + "/storage");
    ASSERT_TRUE(lock.ok());
    held.emplace(std::move(*lock));
  };
  const e2e::PageRun second = runPage("page_storage.html", options);
  EXPECT_EQ(e2e::failureReport(second), "");
  EXPECT_EQ(messagesStartingWith(second, "localStorage not kept: "),
            std::vector<std::string>{"localStorage not kept: storage: in use by another process"});
  held.reset();

  // What the second run stored went nowhere; the first run's value is whole.
  const e2e::PageRun third = runAfter(second);
  EXPECT_EQ(messagesStartingWith(third, "STORED "),
            std::vector<std::string>{"STORED \"zażółć gęślą jaźń 1\""});
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

namespace {

// A development server on 127.0.0.1 that serves the dev_url page and check.js.
support::LocalPeer developmentServer() {
  return support::LocalPeer([](support::PeerConnection& connection) {
    const std::string request = connection.readHttpRequest();
    const bool script = request.rfind("GET /check.js ", 0) == 0;
    const std::string body =
        e2e::readFile(e2e::pagesDirectory() + (script ? "/check.js" : "/dev_url.html"));
    connection.send(std::string("HTTP/1.0 200 OK\r\nContent-Type: ") +
                    (script ? "text/javascript" : "text/html") +
                    "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
  });
}

TEST(DevelopmentUrl, InADebugRunThePageOfAServerOnThisMachineGetsMyObjectAndRecords) {
  support::LocalPeer server = developmentServer();
  e2e::RunOptions options;
  options.arguments = {"-debug", "-dev-url", server.url("/")};
  const e2e::PageRun run = runPage("dev_url.html", options);
  ASSERT_EQ(e2e::failureReport(run), "");
  EXPECT_EQ(messagesStartingWith(run, "PAGE FROM "), std::vector<std::string>{"PAGE FROM http:"});
  EXPECT_EQ(messagesStartingWith(run, "Development page "),
            std::vector<std::string>{"Development page " + server.url("/") +
                                     ": its origin gets myObject and records"});
}

TEST(DevelopmentUrl, IsRefusedWithoutDebugOrForAnotherMachineAndIndexHtmlShows) {
  support::LocalPeer server = developmentServer();
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"-dev-url", server.url("/")},
       "-dev-url " + server.url("/") + " refused: it is for development runs only, with -debug"},
      {{"-debug", "-dev-url", "http://192.0.2.1:5173/"},
       "-dev-url http://192.0.2.1:5173/ refused: its host is not this machine (127.0.0.0/8, ::1 "
       "or localhost)"},
      {{"-debug", "-dev-url", "http://127.0.0.1.example.com/"},
       "-dev-url http://127.0.0.1.example.com/ refused: its host is not this machine "
       "(127.0.0.0/8, ::1 or localhost)"},
      {{"-debug", "-dev-url", "file:///etc/"},
       "-dev-url file:///etc/ refused: not an http or https address"},
  };
  for (const auto& [arguments, refusal] : cases) {
    e2e::RunOptions options;
    options.arguments = arguments;
    const e2e::PageRun run = runPage("dev_url.html", options);
    ASSERT_EQ(e2e::failureReport(run), "") << refusal;
    EXPECT_EQ(messagesStartingWith(run, "-dev-url "), std::vector<std::string>{refusal});
    EXPECT_EQ(messagesStartingWith(run, "PAGE FROM "), std::vector<std::string>{"PAGE FROM file:"});
  }
  EXPECT_TRUE(server.requests().empty());
}

}  // namespace

namespace {

TEST(ConsoleSources, ADebugRunNamesTheOriginalFileAndLineOfABundledScriptsConsoleLine) {
  e2e::RunOptions options;
  options.files["bundle.js"] =
      "var shown = 1;\nconsole.log('from the bundle');\n//# sourceMappingURL=bundle.js.map\n";
  options.files["bundle.js.map"] =
      R"({"version":3,"sources":["src/app.ts"],"mappings":"AAAA;AAMA"})";
  for (const bool debug : {true, false}) {
    options.arguments = debug ? std::vector<std::string>{"-debug"} : std::vector<std::string>{};
    const e2e::PageRun run = runPage("console_sources.html", options);
    ASSERT_EQ(e2e::failureReport(run), "");
    const std::vector<std::string> lines = messagesStartingWith(run, "Message from ");
    ASSERT_EQ(lines.size(), 1u);
    const std::string end = debug ? ": from the bundle [from src/app.ts#7]" : ": from the bundle";
    EXPECT_EQ(lines[0].substr(lines[0].size() - std::min(lines[0].size(), end.size())), end)
        << lines[0];
    EXPECT_NE(lines[0].find("/bundle.js#2: "), std::string::npos) << lines[0];
  }
}

}  // namespace
