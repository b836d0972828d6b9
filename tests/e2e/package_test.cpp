// The shell's Debian package and an app's, built, read with dpkg-deb and run
// from a scratch root: nothing is installed on the machine.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <regex>

#include "tests/support/page_runner.h"

namespace {

namespace fs = std::filesystem;
using support::readFile;
using support::writeFile;

// The tree the pages come from, and the build tree the shell was built in.
const fs::path kSourceTree = fs::path(PAGESHELL_PAGES).parent_path().parent_path().parent_path();
const fs::path kBuildTree = fs::path(e2e::shellBinary()).parent_path().parent_path();

std::string quote(const std::string& text) {
  return "'" + std::regex_replace(text, std::regex("'"), "'\\''") + "'";
}

struct Outcome {
  int status = -1;
  std::string output;
};

// Runs `command` with /bin/sh; standard error joins the output.
Outcome run(const std::string& command) {
  Outcome outcome;
  std::FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return outcome;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
    outcome.output.append(buffer, n);
  }
  const int status = pclose(pipe);
  outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return outcome;
}

std::string succeed(const std::string& command) {
  const Outcome outcome = run(command);
  EXPECT_EQ(outcome.status, 0) << command << "\n" << outcome.output;
  return outcome.output;
}

// package-app reads no more of an icon than the PNG signature.
const std::string kIcon = std::string("\x89PNG\r\n\x1a\n", 8) + "pixels";

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

class Packages : public ::testing::Test {
 protected:
  // The shell's package through CPack, into the scratch folder; "" if none.
  std::string buildShellPackage() {
    succeed("cpack --config " + quote((kBuildTree / "CPackConfig.cmake").string()) + " -B " +
            quote(scratch_ / "shell"));
    for (const auto& entry : fs::directory_iterator(scratch_ / "shell")) {
      const std::string name = entry.path().filename().string();
      if (std::regex_match(name, std::regex(R"(pageshell_[0-9][^_]*_amd64\.deb)"))) {
        return entry.path().string();
      }
    }
    return "";
  }

  // tools/package-app run in the scratch folder; returns the package's path.
  std::string packageApp(const std::string& appDir, const std::string& name,
                         const std::string& icon = "") {
    succeed("cd " + quote(scratch_.path()) + " && " +
            quote((kSourceTree / "tools/package-app").string()) + " " + quote(appDir) + " " + name +
            " 2.1 " + (icon.empty() ? "" : quote(icon)));
    return scratch_ / (name + "_2.1_all.deb");
  }

  static std::string field(const std::string& deb, const std::string& name) {
    return succeed("dpkg-deb -f " + quote(deb) + " " + name);
  }
  static std::string contents(const std::string& deb) {
    return succeed("dpkg-deb -c " + quote(deb));
  }

  support::Directory scratch_{"packages"};
};

TEST_F(Packages, ShellPackageHoldsTheShellItsLibraryAndDocsAndDependsOnItsLibraries) {
  const std::string shellDeb = buildShellPackage();
  ASSERT_NE(shellDeb, "");
  const std::string files = contents(shellDeb);
  EXPECT_NE(files.find(" ./usr/bin/pageshell\n"), std::string::npos) << files;
  EXPECT_NE(files.find(" ./usr/share/pageshell/pageshell.js\n"), std::string::npos) << files;
  EXPECT_NE(files.find(" ./usr/share/doc/pageshell/README.md\n"), std::string::npos) << files;
  if (fs::exists(kSourceTree / "docs/commands.md")) {
    EXPECT_NE(files.find(" ./usr/share/doc/pageshell/commands.md\n"), std::string::npos);
  }

  EXPECT_EQ(field(shellDeb, "Package"), "pageshell\n");
  EXPECT_EQ(field(shellDeb, "Architecture"), "amd64\n");
  const std::string depends = field(shellDeb, "Depends");
  for (const char* package :
       {"xdg-utils", "libqt5webkit5", "libqt5widgets5", "libqt5printsupport5", "libsqlite3-0",
        "libjsoncpp25", "libzip4", "libc6", "libssl3", "ca-certificates"}) {
    EXPECT_TRUE(std::regex_search(depends, std::regex(std::string("(^|, )") + package + "\\b")))
        << package << " missing from " << depends;
  }
}

TEST_F(Packages, DemoPackageInstallsTheAppLauncherEntryAndIcon) {
  const std::string icon = scratch_ / "demo.png";
  writeFile(icon, kIcon);
  const std::string deb = packageApp((kSourceTree / "demo").string(), "pageshell-demo", icon);

  EXPECT_EQ(field(deb, "Depends"), "pageshell\n");
  EXPECT_EQ(field(deb, "Architecture"), "all\n");
  EXPECT_EQ(field(deb, "Version"), "2.1\n");
  const std::string files = contents(deb);
  for (const char* path : {"./usr/bin/pageshell-demo", "./usr/share/pageshell-demo/app/index.html",
                           "./usr/share/pageshell-demo/app/demo.zip",
                           "./usr/share/applications/pageshell-demo.desktop",
                           "./usr/share/pixmaps/pageshell-demo.png"}) {
    EXPECT_NE(files.find(std::string(" ") + path + "\n"), std::string::npos) << path << "\n"
                                                                             << files;
  }
  EXPECT_TRUE(
      std::regex_search(files, std::regex(R"(-rwxr-xr-x root/root .* \./usr/bin/pageshell-demo)")));

  const std::string root = scratch_ / "root";
  succeed("dpkg-deb -x " + quote(deb) + " " + quote(root));
  const std::string entry = readFile(root + "/usr/share/applications/pageshell-demo.desktop");
  EXPECT_NE(entry.find("\nExec=pageshell-demo\n"), std::string::npos) << entry;
  EXPECT_NE(entry.find("\nIcon=pageshell-demo\n"), std::string::npos) << entry;
  EXPECT_EQ(readFile(root + "/usr/share/pixmaps/pageshell-demo.png"), readFile(icon));
}

TEST_F(Packages, LauncherRunsTheAppInTheUsersOwnFolder) {
  const std::string shellDeb = buildShellPackage();
  ASSERT_NE(shellDeb, "");
  const std::string appDir = scratch_ / "note-app";
  support::makeDirectory(appDir + "/debug");
  writeFile(appDir + "/index.html", kNoteApp);
  // A developer's own run files stay out of the package.
  writeFile(appDir + "/debug/log-20200101-000000.txt", "old\n");
  const std::string deb = packageApp(appDir, "note-app");

  const std::string root = scratch_ / "root";
  succeed("dpkg-deb -x " + quote(shellDeb) + " " + quote(root));
  succeed("dpkg-deb -x " + quote(deb) + " " + quote(root));
  const std::string installed = root + "/usr/share/note-app/app";
  ASSERT_TRUE(fs::exists(installed + "/index.html"));

  const std::string home = scratch_ / "home";
  support::makeDirectory(home);
  support::makeDirectory(scratch_ / "runtime");
  fs::permissions(scratch_ / "runtime", fs::perms::owner_all);
  // Runs the extracted launcher, which finds the extracted shell on PATH.
  auto launch = [&](const std::string& dataHome) {
    succeed("env " + (dataHome.empty() ? "-u XDG_DATA_HOME" : "XDG_DATA_HOME=" + quote(dataHome)) +
            " HOME=" + quote(home) + " PATH=" + quote(root + "/usr/bin") +
            ":\"$PATH\" QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=" + quote(scratch_ / "runtime") +
            " timeout 60 " + quote(root + "/usr/bin/note-app"));
  };
  launch("");
  launch("");

  const std::string work = home + "/.local/share/note-app";
  EXPECT_EQ(readFile(work + "/saved.txt"), "run 2");
  std::vector<std::string> runs;
  for (const std::string& line : support::logLines(work)) {
    const std::string message = support::withoutTimeStamp(line);
    if (message.rfind("RUN ", 0) == 0) runs.push_back(message);
  }
  EXPECT_EQ(runs, (std::vector<std::string>{"RUN 1", "RUN 2"}));
  EXPECT_TRUE(fs::is_directory(work + "/storage"));
  EXPECT_TRUE(fs::is_symlink(work + "/index.html"));
  EXPECT_EQ(fs::canonical(work + "/index.html"), fs::canonical(installed + "/index.html"));
  EXPECT_EQ(fs::canonical(work + "/pageshell.js"),
            fs::canonical(root + "/usr/share/pageshell/pageshell.js"));
  // Nothing the app wrote went beside the installed files, nor came with them.
  EXPECT_FALSE(fs::exists(installed + "/debug"));
  EXPECT_FALSE(fs::exists(installed + "/saved.txt"));
  EXPECT_FALSE(fs::exists(installed + "/storage"));

  // XDG_DATA_HOME, when set, holds the folder instead.
  const std::string data = scratch_ / "data";
  launch(data);
  EXPECT_EQ(readFile(data + "/note-app/saved.txt"), "run 1");
}

}  // namespace
