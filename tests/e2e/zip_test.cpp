// The zip commands driven by pages through the real binary, on archives made
// by Python's zipfile and the zip command (tests/support/zip_fixtures.py).
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/engine.h"
#include "tests/support/page_runner.h"
#include "tests/support/sectioned_page.h"
#include "tests/support/zip_fixtures.h"

namespace {

const char kExisting[] = "prepared by the test\n";

// The page's folder of archives, and a file to extract over.
e2e::RunOptions withArchives(const support::Directory& archives) {
  e2e::RunOptions options;
  options.files["zip_paths.js"] = "var ZIPS = \"" + archives.path() + "/\";\n";
  options.files["existing.txt"] = kExisting;
  return options;
}

// Temporary files an extraction left behind in `directory`.
std::vector<std::string> leftovers(const std::string& directory) {
  std::vector<std::string> found;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(directory)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(".pageshell-", 0) == 0) found.push_back(name);
  }
  return found;
}

// getZipDir, getZipEntry and getZipEntryBase64 on odd and hostile archives:
// one run of their page for the tests of its parts.
class ZipCommands : public e2e::SectionedPage<ZipCommands> {
 public:
  static e2e::PageRun runOnce() {
    support::Directory archives("zip-e2e");
    support::makeZipFixtures(archives.path());
    return e2e::runPage("zip_commands.html", withArchives(archives));
  }
};

TEST_F(ZipCommands, ListingsKeepTheArchivesOrderAndReadOddNamesAndHeaders) {
  EXPECT_EQ(section("listings"), "");
}

TEST_F(ZipCommands, MembersAreFoundInAnyCaseAndAnsweredWhole) { EXPECT_EQ(section("members"), ""); }

TEST_F(ZipCommands, BombsDamageAndMissingMembersAreRefused) { EXPECT_EQ(section("refusals"), ""); }

TEST_F(ZipCommands, Base64AnswersEveryByteWithTheSameRefusals) { EXPECT_EQ(section("base64"), ""); }

TEST(ZipExtraction, RecordsComeInOrderAndFilesHoldTheMembers) {
  support::Directory archives("zip-e2e");
  support::makeZipFixtures(archives.path(), {24, 0, 0});
  e2e::RunOptions options = withArchives(archives);
  options.files["read-only.txt"] = kExisting;
  options.files["private.txt"] = kExisting;
  options.files["hard-a.txt"] = kExisting;
  options.setUp = [](const std::string& directory) {
    ::chmod((directory + "/read-only.txt").c_str(), 0444);
    ::chmod((directory + "/private.txt").c_str(), 0600);
    ::mkfifo((directory + "/pipe").c_str(), 0600);
    std::filesystem::create_symlink("private.txt", directory + "/link.txt");
    std::filesystem::create_hard_link(directory + "/hard-a.txt", directory + "/hard-b.txt");
  };
  const e2e::PageRun run = e2e::runPage("zip_extract.html", options);
  ASSERT_EQ(e2e::failureReport(run), "");

  const auto extracted = [&run](const std::string& name) {
    return e2e::readFile(run.directory + "/" + name);
  };
  const auto source = [&archives](const std::string& name) {
    return e2e::readFile(archives / ("src/" + name));
  };
  EXPECT_EQ(extracted("deflated.txt"), source("deflated.txt"));
  EXPECT_EQ(extracted("zażółć.txt"), source("zażółć gęślą jaźń.txt"));
  EXPECT_EQ(extracted("guide.txt"), source("zipcmd/docs/guide.txt"));
  EXPECT_EQ(extracted("long.txt"), "long name\n");
  EXPECT_EQ(extracted("łąka.txt"), "in a cp852 folder\n");
  EXPECT_EQ(extracted("readme.txt"), source("zipcmd/readme.txt"));
  EXPECT_TRUE(std::filesystem::is_regular_file(run.directory + "/empty-out.txt"));
  EXPECT_EQ(extracted("empty-out.txt"), "");
  EXPECT_EQ(extracted("existing.txt"), kExisting) << "failed extractions leave it as it was";
  EXPECT_EQ(extracted("read-only.txt"), kExisting);
  EXPECT_TRUE(std::filesystem::is_fifo(run.directory + "/pipe"));
  EXPECT_TRUE(std::filesystem::is_symlink(run.directory + "/link.txt"));
  EXPECT_EQ(extracted("private.txt"), source("stored.txt")) << "written through the link";
  EXPECT_EQ(std::filesystem::status(run.directory + "/private.txt").permissions(),
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  EXPECT_EQ(extracted("hard-b.txt"), source("deflated.txt")) << "both names see the member";
  for (const char* never : {"never.txt", "bad.txt", "no"}) {
    EXPECT_FALSE(std::filesystem::exists(run.directory + "/" + never)) << never;
  }
  const std::string large = source("large.bin");
  ASSERT_GT(large.size(), 20u << 20);
  EXPECT_TRUE(extracted("large-1.bin") == large) << "the first large extraction differs";
  EXPECT_TRUE(extracted("large-2.bin") == large) << "the second large extraction differs";
  EXPECT_EQ(leftovers(run.directory), std::vector<std::string>{});
}

// A file size limit below the member's size stands for a full disk. The
// shell inherits the limit and the signal's default action, and must itself
// turn the write past the limit into the extraction's write error.
TEST(ZipExtraction, AFullDiskIsAWriteErrorThatLeavesTheTarget) {
  if (support::onWebEngine()) {
    GTEST_SKIP() << "Chromium cannot load a page under a 1 MiB file size limit";
  }
  support::Directory archives("zip-e2e");
  support::makeZipFixtures(archives.path(), {4, 0, 0});
  rlimit saved{};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  rlimit lowered = saved;
  lowered.rlim_cur = 1 << 20;
  std::signal(SIGXFSZ, SIG_DFL);
  ::setrlimit(RLIMIT_FSIZE, &lowered);
  const e2e::PageRun run = e2e::runPage("zip_full_disk.html", withArchives(archives));
  ::setrlimit(RLIMIT_FSIZE, &saved);

  ASSERT_EQ(e2e::failureReport(run), "");
  EXPECT_EQ(e2e::readFile(run.directory + "/existing.txt"), kExisting);
  EXPECT_EQ(leftovers(run.directory), std::vector<std::string>{});
}

TEST(ZipClientLibrary, ExtractionsSettleThePromiseAndReportProgress) {
  support::Directory archives("zip-e2e");
  support::makeZipFixtures(archives.path());
  const e2e::PageRun run = e2e::runPage("zip_client.html", withArchives(archives));
  ASSERT_EQ(e2e::failureReport(run), "");
  EXPECT_EQ(e2e::readFile(run.directory + "/client.txt"),
            e2e::readFile(archives / "src/stored.txt"));
}

}  // namespace
