// Arguments checked against the commands' description before any work,
// through the real binary.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/page_runner.h"
#include "tests/support/zip_fixtures.h"

namespace {

const char kKept[] = "kept by the test\n";

std::vector<std::string> namesIn(const std::string& directory) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

TEST(ArgumentChecks, ANulInAnyNameIsRefusedBeforeAnythingIsTouched) {
  support::Directory archives("nul-e2e");
  support::makeZipFixtures(archives.path());
  support::Directory temporary("nul-tmp");
  e2e::RunOptions options;
  options.files["zip_paths.js"] = "var ZIPS = \"" + archives.path() + "/\";\n";
  options.files["keep.txt"] = kKept;
  options.environment["TMPDIR"] = temporary.path();

  const e2e::PageRun run = e2e::runPage("shell_nul_names.html", options);
  EXPECT_EQ(e2e::failureReport(run), "");
  EXPECT_EQ(e2e::readFile(run.directory + "/keep.txt"), kKept);
  EXPECT_EQ(e2e::readFile(run.directory + "/nul.txt"), std::string("a\0b", 3));
  for (const char* never : {"out.txt", "db", "pdf"}) {
    EXPECT_FALSE(std::filesystem::exists(run.directory + "/" + never)) << never;
  }
  EXPECT_EQ(namesIn(temporary.path()), std::vector<std::string>{}) << "no download was started";
}

}  // namespace
