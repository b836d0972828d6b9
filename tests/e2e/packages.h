// Building the shell's Debian package and an app's, and reading them back
// with dpkg-deb, for the tests of packages and of the app launcher. Nothing
// is installed on the machine: packages are extracted into scratch roots.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "tests/support/page_runner.h"

namespace packages {

namespace fs = std::filesystem;

// The tree the pages come from, and the build tree the shell was built in.
inline const fs::path kSourceTree =
    fs::path(PAGESHELL_PAGES).parent_path().parent_path().parent_path();
inline const fs::path kBuildTree = fs::path(e2e::shellBinary()).parent_path().parent_path();

inline std::string quote(const std::string& text) {
  return "'" + std::regex_replace(text, std::regex("'"), "'\\''") + "'";
}

struct Outcome {
  int status = -1;
  std::string output;
};

// Runs `command` with /bin/sh; standard error joins the output.
inline Outcome run(const std::string& command) {
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

inline std::string succeed(const std::string& command) {
  const Outcome outcome = run(command);
  EXPECT_EQ(outcome.status, 0) << command << "\n" << outcome.output;
  return outcome.output;
}

// The web engine the shell was built on, as the build's cache names it.
inline std::string buildEngine() {
  const std::string cache = support::readFile((kBuildTree / "CMakeCache.txt").string());
  std::smatch match;
  if (std::regex_search(cache, match,
                        std::regex(R"((^|\n)PAGESHELL_ENGINE_BUILT:INTERNAL=([^\n]+))"))) {
    return match[2];
  }
  return "webengine";
}

// What the shell's package of each engine's build is called, what it stands
// in for, and libraries of that engine it must depend on.
struct EnginePackage {
  std::string name;
  std::string standsInFor;  // its Provides, Conflicts and Replaces
  std::vector<std::string> libraries;
};

inline EnginePackage enginePackage(const std::string& engine) {
  if (engine == "webkit") {
    return {"pageshell-webkit",
            "pageshell",
            {"libqt5webkit5", "libqt5widgets5", "libqt5printsupport5"}};
  }
  return {"pageshell",
          "",
          {"libqt6webenginecore6", "libqt6webenginewidgets6", "libqt6widgets6",
           "libqt6printsupport6"}};
}

class PackageTest : public ::testing::Test {
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

  // tools/package-app with `arguments` (already quoted), run in the scratch
  // folder.
  Outcome runPackageApp(const std::string& arguments) {
    return run("cd " + quote(scratch_.path()) + " && " +
               quote((kSourceTree / "tools/package-app").string()) + " " + arguments);
  }

  // The package of the app in `appDir`; `options` go first, already quoted.
  std::string packageApp(const std::string& appDir, const std::string& name,
                         const std::string& version = "2.1", const std::string& options = "",
                         const std::string& icon = "") {
    const Outcome packaged = runPackageApp(options + " " + quote(appDir) + " " + name + " " +
                                           version + (icon.empty() ? "" : " " + quote(icon)));
    EXPECT_EQ(packaged.status, 0) << packaged.output;
    return scratch_ / (name + "_" + version + "_all.deb");
  }

  static std::string field(const std::string& deb, const std::string& name) {
    return succeed("dpkg-deb -f " + quote(deb) + " " + name);
  }
  static std::string contents(const std::string& deb) {
    return succeed("dpkg-deb -c " + quote(deb));
  }

  support::Directory scratch_{"packages"};
};

}  // namespace packages
