// The shell's Debian package and what tools/package-app makes of an app,
// built and read with dpkg-deb: nothing is installed on the machine.
#include <algorithm>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "tests/e2e/packages.h"

namespace {

using namespace packages;
using support::readFile;
using support::writeFile;

// package-app reads no more of an icon than the PNG signature.
const std::string kIcon = std::string("\x89PNG\r\n\x1a\n", 8) + "pixels";

using Packages = PackageTest;

TEST_F(Packages, ShellPackageHoldsTheShellItsLibraryAndDocsAndDependsOnItsLibraries) {
  const EnginePackage expected = enginePackage(buildEngine());
  const std::string shellDeb = buildShellPackage();
  ASSERT_NE(shellDeb, "");
  const std::string files = contents(shellDeb);
  EXPECT_NE(files.find(" ./usr/bin/pageshell\n"), std::string::npos) << files;
  EXPECT_NE(files.find(" ./usr/share/pageshell/pageshell.js\n"), std::string::npos) << files;
  for (const char* file : {"package.json", "pageshell.js", "pageshell.mjs", "pageshell.d.ts"}) {
    EXPECT_NE(files.find(std::string(" ./usr/share/pageshell/js/") + file + "\n"),
              std::string::npos)
        << file << "\n"
        << files;
  }
  for (const char* doc : {"README.md", "print-format.md", "known-folders.md"}) {
    EXPECT_NE(files.find(std::string(" ./usr/share/doc/pageshell/") + doc + "\n"),
              std::string::npos)
        << doc << "\n"
        << files;
  }
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
  // Library packages carry their soname, which differs between releases
  // (libjsoncpp25 and libssl3 on Debian 12, libjsoncpp26 and libssl3t64 on 13).
  needed.insert(needed.end(), {"xdg-utils", "libsqlite3-0", "libjsoncpp[0-9]+", "libbz2-1.0",
                               "libc6", "libssl3(t64)?", "ca-certificates"});
  for (const std::string& package : needed) {
    EXPECT_TRUE(std::regex_search(depends, std::regex("(^|, )(" + package + ")\\b")))
        << package << " missing from " << depends;
  }
}

// The packaging of a QtWebKit build, tried on a small project of its own
// that packages a stand-in program, whichever engine this build has.
TEST_F(Packages, WebKitBuildIsItsOwnPackageStandingInForPageshell) {
  const fs::path project = scratch_ / "engine-project";
  support::makeDirectory(project / "js");
  for (const char* file : {"package.json", "pageshell.js", "pageshell.mjs", "pageshell.d.ts"}) {
    writeFile(project / "js" / file, readFile((kSourceTree / "js" / file).string()));
  }
  support::makeDirectory(project / "docs");
  for (const char* doc : {"README.md", "docs/print-format.md", "docs/known-folders.md"}) {
    writeFile(project / doc, "stand-in\n");
  }
  writeFile(project / "main.cpp", "int main() { return 0; }\n");
  writeFile(project / "CMakeLists.txt",
            "cmake_minimum_required(VERSION 3.16)\nproject(pageshell LANGUAGES CXX)\n"
            "add_executable(pageshell main.cpp)\ninclude(" +
                (kSourceTree / "cmake/Packaging.cmake").string() + ")\n");
  auto configure = [&](const std::string& engine) {
    return run("cmake -S " + quote(project) + " -B " + quote(project / ("build-" + engine)) +
               " -DPAGESHELL_ENGINE=" + engine);
  };

  ASSERT_EQ(configure("webkit").status, 0);
  succeed("cmake --build " + quote(project / "build-webkit"));
  const std::string deb = packageWithCPack(project / "build-webkit", "pageshell-webkit");
  ASSERT_NE(deb, "");
  EXPECT_EQ(field(deb, "Package"), "pageshell-webkit\n");
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
  const std::string deb =
      packageApp((kSourceTree / "demo").string(), "pageshell-demo", "2.1", "", icon);

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

// What the shell wrote while the developer ran the app in its folder.
TEST_F(Packages, AppPackageLeavesOutRunDataUnlessNamedAndSaysSo) {
  const std::string appDir = scratch_ / "stock";
  support::makeDirectory(appDir + "/db");
  support::makeDirectory(appDir + "/debug");
  support::makeDirectory(appDir + "/storage");
  support::makeDirectory(appDir + "/help");
  writeFile(appDir + "/index.html", "<!DOCTYPE html>\n");
  writeFile(appDir + "/db/app.sqlite", "");
  writeFile(appDir + "/debug/log-20200101-000000.txt", "old\n");
  writeFile(appDir + "/storage/file__0.localstorage", "");
  writeFile(appDir + "/debug-20200101-000000.html", "<html></html>");
  writeFile(appDir + "/help/debug-notes.html", "the app's own page");
  const std::string prefix = " ./usr/share/stock/app/";

  const Outcome plain = runPackageApp(quote(appDir) + " stock 1.0");
  ASSERT_EQ(plain.status, 0) << plain.output;
  for (const char* named : {"db/", "debug/", "storage/", "debug-20200101-000000.html"}) {
    EXPECT_NE(plain.output.find(named), std::string::npos) << named << "\n" << plain.output;
  }
  std::string files = contents(scratch_ / "stock_1.0_all.deb");
  EXPECT_NE(files.find(prefix + "index.html\n"), std::string::npos) << files;
  EXPECT_NE(files.find(prefix + "help/debug-notes.html\n"), std::string::npos) << files;
  for (const char* left : {"db/", "debug/", "storage/", "debug-20200101-000000.html"}) {
    EXPECT_EQ(files.find(prefix + left), std::string::npos) << left << "\n" << files;
  }

  const std::string deb = packageApp(appDir, "stock", "1.1",
                                     "--include db --include 'debug-*.html' --title 'Stock take'");
  files = contents(deb);
  EXPECT_NE(files.find(prefix + "db/app.sqlite\n"), std::string::npos) << files;
  EXPECT_NE(files.find(prefix + "debug-20200101-000000.html\n"), std::string::npos) << files;
  EXPECT_EQ(files.find(prefix + "debug/"), std::string::npos) << files;
  const std::string root = scratch_ / "root";
  succeed("dpkg-deb -x " + quote(deb) + " " + quote(root));
  const std::string entry = readFile(root + "/usr/share/applications/stock.desktop");
  EXPECT_NE(entry.find("\nName=Stock take\n"), std::string::npos) << entry;
  EXPECT_NE(entry.find("\nExec=stock\n"), std::string::npos) << entry;

  // Only run data is included by name, and a title is one line.
  EXPECT_EQ(runPackageApp("--include index.html " + quote(appDir) + " stock 1.2").status, 2);
  EXPECT_EQ(runPackageApp("--title \"$(printf 'a\\nb')\" " + quote(appDir) + " stock 1.2").status,
            2);
}

// Linked folders are packed as the folders they name, so a line break in a
// name there is refused as one in the app's own folder, and a package that
// cannot be made leaves nothing behind, nor replaces the one made before.
TEST_F(Packages, AppPackageChecksWhatLinkedFoldersBringAndLeavesNoPartialPackage) {
  const std::string appDir = scratch_ / "linked";
  const std::string elsewhere = scratch_ / "elsewhere";
  support::makeDirectory(elsewhere);
  support::makeDirectory(appDir);
  writeFile(appDir + "/index.html", "<!DOCTYPE html>\n");
  writeFile(elsewhere + "/manual.html", "the manual");
  fs::create_symlink(elsewhere, appDir + "/help");
  const std::string deb = packageApp(appDir, "linked", "1.0");
  const std::string made = readFile(deb);

  writeFile(elsewhere + "/two\nlines.html", "");
  const Outcome refused = runPackageApp(quote(appDir) + " linked 1.0");
  EXPECT_EQ(refused.status, 2) << refused.output;
  EXPECT_NE(refused.output.find("holds a line break"), std::string::npos) << refused.output;
  EXPECT_TRUE(readFile(deb) == made) << "the package made before was replaced";
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(scratch_.path())) {
    left.push_back(entry.path().filename().string());
  }
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"elsewhere", "linked", "linked_1.0_all.deb"}));
}

}  // namespace
