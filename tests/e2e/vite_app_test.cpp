// The Vite and TypeScript app in demo/vite-app, built for this build's
// engine as its README recipe says and run by the real binary: the client
// library, imported as an ES module into a bundle (a legacy one on
// QtWebKit), drives the shell's commands and background commands.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/e2e/packages.h"
#include "tests/support/engine.h"

namespace {

using namespace packages;
using support::readFile;

TEST(ViteApp, TheBundledAppDrivesTheShellThroughTheLibraryModule) {
  const fs::path app = kSourceTree / "demo/vite-app";
  ASSERT_TRUE(fs::exists(app / "node_modules/.bin/vite"))
      << "demo/vite-app has no node_modules: run `npm ci` there (test.sh does)";
  const support::Directory dist("vite-dist");
  const bool webEngine = support::onWebEngine();
  succeed("cd " + quote(app) + " && npm run --silent " + (webEngine ? "build" : "build:webkit") +
          " -- --outDir " + quote(dist.path()) + " --emptyOutDir --logLevel warn");
  const std::string html = readFile(dist / "index.html");
  ASSERT_NE(html, "");
  EXPECT_EQ(html.find("pageshell.js"), std::string::npos) << "the library is in the bundle";
  EXPECT_EQ(html.find("type=\"module\"") != std::string::npos, webEngine) << html;

  e2e::RunOptions options;
  options.arguments = {"--", "--self-test"};
  options.setUp = [&](const std::string& directory) {
    fs::copy(dist.path(), directory,
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  };
  const e2e::PageRun run = e2e::runPageFrom(dist.path(), "", options);
  ASSERT_EQ(e2e::failureReport(run), "");
  const auto bundle = e2e::messagesStartingWith(run, "bundle: ");
  ASSERT_EQ(bundle.size(), 1u) << "the app ran once";
  EXPECT_EQ(bundle[0], webEngine ? "bundle: modern" : "bundle: legacy");
  EXPECT_EQ(readFile(run.directory + "/note.txt"), "gęś");
  EXPECT_TRUE(fs::is_regular_file(run.directory + "/db/selftest.sqlite"));
}

}  // namespace
