// The launcher tools/package-app installs for an app, run from a scratch
// root that holds the extracted shell package and the app's, as a user
// whose home is a scratch folder. An upgrade is the next version's package
// extracted after the app's files of the version before are removed, as
// dpkg does.
#include <filesystem>
#include <future>
#include <string>
#include <vector>

#include "tests/e2e/packages.h"

namespace {

using namespace packages;
using support::readFile;
using support::writeFile;

// An app that counts its runs in localStorage, saves a file through the
// client library the launcher offers it, and exits.
const char kNoteApp[] = R"(<!DOCTYPE html>
<html><head><meta charset="utf-8"><script src="pageshell.js"></script></head>
<body><script>
try {
  var runs = Number(localStorage.getItem("runs") || "0") + 1;
  localStorage.setItem("runs", String(runs));
  pageshell.call("log", "RUN " + runs);
  pageshell.call("saveFile", "saved.txt", "run " + runs);
} finally {
  myObject.command = JSON.stringify(["1.0.3.20150320", "note-app", "exit"]);
}
</script></body></html>
)";

// An app that writes two files it ships, logs how each went, and exits.
const char kWriterApp[] = R"html(<!DOCTYPE html>
<html><head><meta charset="utf-8"><script src="pageshell.js"></script></head>
<body><script>
function attempt(label, request) {
  try {
    pageshell.call.apply(null, request);
    pageshell.call("log", label + " OK");
  } catch (error) {
    pageshell.call("log", label + " " + error.message);
  }
}
try {
  attempt("SAVE", ["saveFile", "settings.json", "the user's"]);
  attempt("DB", ["sqliteExecute", "db/", "app.sqlite", "CREATE TABLE IF NOT EXISTS t (a)",
                 "INSERT INTO t VALUES (1)"]);
}
finally { myObject.command = JSON.stringify([ "1.0.3.20150320", "writer", "exit" ]); }
</script></body></html>
)html";

const char kQuietApp[] = R"(<!DOCTYPE html>
<html><body><script>
myObject.command = JSON.stringify(["1.0.3.20150320", "quiet", "exit"]);
</script></body></html>
)";

// An app that exits at once, unless hold.txt is in its folder: then it
// writes started.txt, and once release.txt is there logs the data.txt it
// reads and exits.
const char kHoldingApp[] = R"(<!DOCTYPE html>
<html><head><meta charset="utf-8"><script src="pageshell.js"></script></head>
<body><script>
function read(name) { try { return pageshell.call("loadFile", name)[1]; } catch (e) { return null; } }
function exit() { myObject.command = JSON.stringify(["1.0.3.20150320", "holding", "exit"]); }
function waitForRelease() {
  if (read("release.txt") === null) return setTimeout(waitForRelease, 100);
  pageshell.call("log", "DATA " + read("data.txt"));
  exit();
}
if (read("hold.txt") === null) exit();
else { pageshell.call("saveFile", "started.txt", ""); waitForRelease(); }
</script></body></html>
)";

class Launcher : public PackageTest {
 protected:
  void SetUp() override {
    const std::string shellDeb = buildShellPackage();
    ASSERT_NE(shellDeb, "");
    succeed("dpkg-deb -x " + quote(shellDeb) + " " + quote(root_));
    support::makeDirectory(home_);
    support::makeDirectory(runtime_);
    fs::permissions(runtime_, fs::perms::owner_all);
  }

  // Installs the app package `deb` over the version before, as dpkg would.
  void install(const std::string& deb, const std::string& name) {
    fs::remove_all(root_ + "/usr/share/" + name);
    succeed("dpkg-deb -x " + quote(deb) + " " + quote(root_));
  }

  // Runs the extracted launcher `name`, which finds the extracted shell on
  // PATH; with `dataHome` as XDG_DATA_HOME, else with none.
  Outcome launch(const std::string& name, const std::string& dataHome = "") {
    return run("env " +
               (dataHome.empty() ? "-u XDG_DATA_HOME" : "XDG_DATA_HOME=" + quote(dataHome)) +
               " HOME=" + quote(home_) + " PATH=" + quote(root_ + "/usr/bin") +
               ":\"$PATH\" QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=" + quote(runtime_) +
               " timeout 60 " + quote(root_ + "/usr/bin/" + name));
  }

  std::string installed(const std::string& name) const {
    return root_ + "/usr/share/" + name + "/app";
  }
  std::string work(const std::string& name) const { return home_ + "/.local/share/" + name; }

  // The messages the app logged in `folder` that start with `prefix`.
  static std::vector<std::string> logged(const std::string& folder, const std::string& prefix) {
    std::vector<std::string> messages;
    for (const std::string& line : support::logLines(folder)) {
      const std::string message = support::withoutTimeStamp(line);
      if (message.rfind(prefix, 0) == 0) messages.push_back(message);
    }
    return messages;
  }

  const std::string root_ = scratch_ / "root";
  const std::string home_ = scratch_ / "home";
  const std::string runtime_ = scratch_ / "runtime";
};

TEST_F(Launcher, RunsTheAppInTheUsersOwnFolder) {
  const std::string appDir = scratch_ / "note-app";
  support::makeDirectory(appDir + "/debug");
  writeFile(appDir + "/index.html", kNoteApp);
  // A developer's own run files stay out of the package.
  writeFile(appDir + "/debug/log-20200101-000000.txt", "old\n");
  install(packageApp(appDir, "note-app"), "note-app");
  const std::string installedApp = installed("note-app");
  ASSERT_TRUE(fs::exists(installedApp + "/index.html"));

  EXPECT_EQ(launch("note-app").status, 0);
  const Outcome second = launch("note-app");
  EXPECT_EQ(second.status, 0) << second.output;

  const std::string folder = work("note-app");
  EXPECT_EQ(readFile(folder + "/saved.txt"), "run 2");
  EXPECT_EQ(logged(folder, "RUN "), (std::vector<std::string>{"RUN 1", "RUN 2"}));
  EXPECT_TRUE(fs::is_directory(folder + "/storage"));
  EXPECT_FALSE(fs::is_symlink(folder + "/index.html"));
  EXPECT_EQ(readFile(folder + "/index.html"), kNoteApp);
  EXPECT_EQ(readFile(folder + "/pageshell.js"),
            readFile(root_ + "/usr/share/pageshell/pageshell.js"));
  // Nothing the app wrote went beside the installed files, nor came with them.
  EXPECT_FALSE(fs::exists(installedApp + "/debug"));
  EXPECT_FALSE(fs::exists(installedApp + "/saved.txt"));
  EXPECT_FALSE(fs::exists(installedApp + "/storage"));

  // XDG_DATA_HOME, when set, holds the folder instead.
  const std::string data = scratch_ / "data";
  EXPECT_EQ(launch("note-app", data).status, 0);
  EXPECT_EQ(readFile(data + "/note-app/saved.txt"), "run 1");
}

TEST_F(Launcher, AppWritesTheFilesItShipsInTheUsersFolderAndUpgradesKeepTheUsersVersion) {
  const std::string appDir = scratch_ / "writer";
  support::makeDirectory(appDir + "/db");
  writeFile(appDir + "/index.html", kWriterApp);
  writeFile(appDir + "/settings.json", "shipped 1");
  writeFile(appDir + "/db/app.sqlite", "");  // an empty file is an empty database
  install(packageApp(appDir, "writer", "1.0", "--include db"), "writer");

  const Outcome first = launch("writer");
  EXPECT_EQ(first.status, 0) << first.output;
  const std::string folder = work("writer");
  EXPECT_EQ(logged(folder, "SAVE "), std::vector<std::string>{"SAVE OK"});
  EXPECT_EQ(logged(folder, "DB "), std::vector<std::string>{"DB OK"});
  EXPECT_EQ(readFile(folder + "/settings.json"), "the user's");
  EXPECT_FALSE(fs::is_symlink(folder + "/settings.json"));
  EXPECT_GT(fs::file_size(folder + "/db/app.sqlite"), 0u);
  // The installed app is as shipped, whoever ran it.
  EXPECT_EQ(readFile(installed("writer") + "/settings.json"), "shipped 1");
  EXPECT_EQ(fs::file_size(installed("writer") + "/db/app.sqlite"), 0u);

  // The next version changes the page the user never touched, and the
  // settings the app saved.
  const std::string nextPage = std::string(kWriterApp) + "<!-- 2 -->\n";
  writeFile(appDir + "/index.html", nextPage);
  writeFile(appDir + "/settings.json", "shipped 2");
  install(packageApp(appDir, "writer", "2.0", "--include db"), "writer");
  const Outcome upgraded = launch("writer");
  EXPECT_EQ(upgraded.status, 0) << upgraded.output;
  EXPECT_EQ(readFile(folder + "/index.html"), nextPage);
  EXPECT_EQ(readFile(folder + "/settings.json"), "the user's");
  EXPECT_EQ(readFile(folder + "/settings.json.shipped"), "shipped 2");
  EXPECT_NE(upgraded.output.find("kept your settings.json"), std::string::npos) << upgraded.output;
  // The database it shipped did not change: nothing to offer.
  EXPECT_FALSE(fs::exists(folder + "/db/app.sqlite.shipped"));
  EXPECT_EQ(logged(folder, "DB "), (std::vector<std::string>{"DB OK", "DB OK"}));
  EXPECT_EQ(readFile(installed("writer") + "/settings.json"), "shipped 2");

  // A data folder inside the installed app is refused.
  EXPECT_NE(launch("writer", root_ + "/usr/share").status, 0);
  EXPECT_FALSE(fs::exists(root_ + "/usr/share/writer/index.html"));
}

TEST_F(Launcher, ReplacesOnlyWhatItPlacedItself) {
  const std::string appDir = scratch_ / "quiet";
  support::makeDirectory(appDir + "/help");
  support::makeDirectory(appDir + "/guide");
  support::makeDirectory(appDir + "/docs");
  writeFile(appDir + "/index.html", kQuietApp);
  writeFile(appDir + "/settings.json", "shipped 1");
  writeFile(appDir + "/help/a.txt", "help 1");
  writeFile(appDir + "/guide/a.txt", "guide 1");
  writeFile(appDir + "/docs/a.txt", "docs 1");
  install(packageApp(appDir, "quiet", "1.0"), "quiet");
  // An earlier launcher's link into the installed app.
  const std::string folder = work("quiet");
  support::makeDirectory(folder);
  fs::create_symlink(fs::canonical(installed("quiet") + "/index.html"), folder + "/index.html");

  EXPECT_EQ(launch("quiet").status, 0);
  EXPECT_FALSE(fs::is_symlink(folder + "/index.html"));
  EXPECT_EQ(readFile(folder + "/index.html"), kQuietApp);

  // The user's own settings, through a link of theirs, notes of theirs, and
  // docs they keep elsewhere, linked back.
  const std::string mine = home_ + "/my-settings.json";
  writeFile(mine, "mine");
  fs::remove(folder + "/settings.json");
  fs::create_symlink(mine, folder + "/settings.json");
  writeFile(folder + "/guide/notes.txt", "the user's notes");
  const std::string myDocs = home_ + "/my-docs";
  fs::rename(folder + "/docs", myDocs);
  fs::create_symlink(myDocs, folder + "/docs");
  EXPECT_EQ(launch("quiet").status, 0);
  EXPECT_EQ(fs::read_symlink(folder + "/settings.json"), mine);

  // The next version ships the folders help and guide as files.
  fs::remove_all(appDir + "/help");
  fs::remove_all(appDir + "/guide");
  writeFile(appDir + "/help", "help 2");
  writeFile(appDir + "/guide", "guide 2");
  writeFile(appDir + "/settings.json", "shipped 2");
  writeFile(appDir + "/docs/a.txt", "docs 2");
  writeFile(appDir + "/docs/b.txt", "docs 2");
  install(packageApp(appDir, "quiet", "2.0"), "quiet");
  const Outcome upgraded = launch("quiet");
  EXPECT_EQ(upgraded.status, 0) << upgraded.output;

  EXPECT_EQ(readFile(folder + "/help"), "help 2");
  EXPECT_EQ(readFile(folder + "/guide/notes.txt"), "the user's notes");
  EXPECT_FALSE(fs::exists(folder + "/guide/a.txt"));
  EXPECT_NE(upgraded.output.find("kept your folder guide"), std::string::npos) << upgraded.output;
  EXPECT_EQ(fs::read_symlink(folder + "/settings.json"), mine);
  EXPECT_EQ(readFile(mine), "mine");
  EXPECT_EQ(readFile(folder + "/settings.json.shipped"), "shipped 2");
  // Nothing went through the link into the user's docs.
  EXPECT_EQ(fs::read_symlink(folder + "/docs"), myDocs);
  EXPECT_EQ(readFile(myDocs + "/a.txt"), "docs 1");
  EXPECT_FALSE(fs::exists(myDocs + "/b.txt"));
  EXPECT_NE(upgraded.output.find("kept your docs"), std::string::npos) << upgraded.output;

  // Once the user's notes have gone, the next start places the file.
  EXPECT_NE(launch("quiet").output.find("kept your folder guide"), std::string::npos);
  fs::remove(folder + "/guide/notes.txt");
  EXPECT_EQ(launch("quiet").status, 0);
  EXPECT_EQ(readFile(folder + "/guide"), "guide 2");
}

// A start while a copy runs leaves the folder to the running version.
TEST_F(Launcher, UpgradesOnlyOnceNoCopyRunsInTheFolder) {
  const std::string appDir = scratch_ / "holding";
  support::makeDirectory(appDir);
  writeFile(appDir + "/index.html", kHoldingApp);
  writeFile(appDir + "/data.txt", "data 1");
  install(packageApp(appDir, "holding", "1.0"), "holding");
  const std::string folder = work("holding");
  support::makeDirectory(folder);
  writeFile(folder + "/hold.txt", "");
  std::future<Outcome> running = std::async(std::launch::async, [&] { return launch("holding"); });
  ASSERT_TRUE(support::waitForFile(folder + "/started.txt", std::chrono::seconds(60)));
  fs::remove(folder + "/hold.txt");

  writeFile(appDir + "/data.txt", "data 2");
  install(packageApp(appDir, "holding", "2.0"), "holding");
  const Outcome meanwhile = launch("holding");
  EXPECT_EQ(meanwhile.status, 0) << meanwhile.output;
  EXPECT_NE(meanwhile.output.find("another copy runs"), std::string::npos) << meanwhile.output;
  writeFile(folder + "/release.txt", "");
  EXPECT_EQ(running.get().status, 0);
  EXPECT_EQ(logged(folder, "DATA "), std::vector<std::string>{"DATA data 1"});

  const Outcome next = launch("holding");
  EXPECT_EQ(next.output.find("another copy runs"), std::string::npos) << next.output;
  EXPECT_EQ(readFile(folder + "/data.txt"), "data 2");
}

}  // namespace
