// The shell's Debian package and an app's, built, read with dpkg-deb and run
// from a scratch root: nothing is installed on the machine.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <vector>

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

// The web engine the shell was built on, as the build's cache names it.
std::string buildEngine() {
  const std::string cache = readFile((kBuildTree / "CMakeCache.txt").string());
  std::smatch match;
  if (std::regex_search(cache, match, std::regex(R"((^|\n)PAGESHELL_ENGINE:[A-Z]+=([^\n]+))"))) {
    return match[2];
  }
  return "webkit";
}

// What the shell's package of each engine's build is called, what it stands
// in for, and libraries of that engine it must depend on.
struct EnginePackage {
  std::string name;
  std::string standsInFor;  // its Provides, Conflicts and Replaces
  std::vector<std::string> libraries;
};

EnginePackage enginePackage(const std::string& engine) {
  if (engine == "webengine") {
    return {"pageshell-webengine",
            "pageshell",
            {"libqt6webenginecore6", "libqt6webenginewidgets6", "libqt6widgets6",
             "libqt6printsupport6"}};
  }
  return {"pageshell", "", {"libqt5webkit5", "libqt5widgets5", "libqt5printsupport5"}};
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
    return packageWithCPack(kBuildTree, enginePackage(buildEngine()).name);
  }

  // Runs CPack on the build tree `build` into the scratch folder and returns
  // the package `name` it made, "" if none.
  std::string packageWithCPack(const fs::path& build, const std::string& name) {
    const std::string output = scratch_ / ("cpack-" + name);
    succeed("cpack --config " + quote((build / "CPackConfig.cmake").string()) + " -B " +
            quote(output));
    for (const auto& entry : fs::directory_iterator(output)) {
      const std::string file = entry.path().filename().string();
      if (std::regex_match(file, std::regex(name + R"(_[0-9][^_]*_amd64\.deb)"))) {
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
  const EnginePackage expected = enginePackage(buildEngine());
  const std::string shellDeb = buildShellPackage();
  ASSERT_NE(shellDeb, "");
  const std::string files = contents(shellDeb);
  EXPECT_NE(files.find(" ./usr/bin/pageshell\n"), std::string::npos) << files;
  EXPECT_NE(files.find(" ./usr/share/pageshell/pageshell.js\n"), std::string::npos) << files;
  EXPECT_NE(files.find(" ./usr/share/doc/pageshell/README.md\n"), std::string::npos) << files;
  if (fs::exists(kSourceTree / "docs/commands.md")) {
    EXPECT_NE(files.find(" ./usr/share/doc/pageshell/commands.md\n"), std::string::npos);
  }

  EXPECT_EQ(field(shellDeb, "Package"), expected.name + "\n");
  EXPECT_EQ(field(shellDeb, "Architecture"), "amd64\n");
  // dpkg-deb shows a field the package lacks as an empty line.
  for (const char* relation : {"Provides", "Conflicts", "Replaces"}) {
    EXPECT_EQ(field(shellDeb, relation), expected.standsInFor + "\n") << relation;
  }
  const std::string depends = field(shellDeb, "Depends");
  std::vector<std::string> needed = expected.libraries;
  needed.insert(needed.end(), {"xdg-utils", "libsqlite3-0", "libjsoncpp25", "libzip4", "libc6"});
  for (const std::string& package : needed) {
    EXPECT_TRUE(std::regex_search(depends, std::regex("(^|, )" + package + "\\b")))
        << package << " missing from " << depends;
  }
}

// The packaging of a WebEngine build, tried on a small project of its own
// that packages a stand-in program, whichever engine this build has.
TEST_F(Packages, WebEngineBuildIsItsOwnPackageStandingInForPageshell) {
  const fs::path project = scratch_ / "engine-project";
  support::makeDirectory(project / "js");
  writeFile(project / "js/pageshell.js", readFile((kSourceTree / "js/pageshell.js").string()));
  writeFile(project / "README.md", "stand-in\n");
  writeFile(project / "main.cpp", "int main() { return 0; }\n");
  writeFile(project / "CMakeLists.txt",
            "cmake_minimum_required(VERSION 3.16)\nproject(pageshell LANGUAGES CXX)\n"
            "add_executable(pageshell main.cpp)\ninclude(" +
                (kSourceTree / "cmake/Packaging.cmake").string() + ")\n");
  auto configure = [&](const std::string& engine) {
    return run("cmake -S " + quote(project) + " -B " + quote(project / ("build-" + engine)) +
               " -DPAGESHELL_ENGINE=" + engine);
  };

  ASSERT_EQ(configure("webengine").status, 0);
  succeed("cmake --build " + quote(project / "build-webengine"));
  const std::string deb = packageWithCPack(project / "build-webengine", "pageshell-webengine");
  ASSERT_NE(deb, "");
  EXPECT_EQ(field(deb, "Package"), "pageshell-webengine\n");
  for (const char* relation : {"Provides", "Conflicts", "Replaces"}) {
    EXPECT_EQ(field(deb, relation), "pageshell\n") << relation;
  }
  EXPECT_NE(field(deb, "Depends").find("libc6"), std::string::npos);
  EXPECT_NE(contents(deb).find(" ./usr/bin/pageshell\n"), std::string::npos);

  const Outcome unknown = configure("gecko");
  EXPECT_NE(unknown.status, 0);
  EXPECT_NE(unknown.output.find("PAGESHELL_ENGINE is webkit or webengine"), std::string::npos)
      << unknown.output;
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
