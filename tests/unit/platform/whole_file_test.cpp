#include "platform/whole_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/scratch.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

// Lowers the file size limit for its lifetime: the one way to meet "disk
// full" here without a disk to fill.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    rlimit lowered = saved_;
    lowered.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &lowered);
  }
  ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved_); }

 private:
  rlimit saved_;
};

TEST(LoadWholeFile, ReadsPastTheSizeTheFileSystemReports) {
  std::string content;
  ASSERT_EQ(loadWholeFile("/proc/self/status", content, 1 << 20), "");
  EXPECT_NE(content.find("Pid:"), std::string::npos);
}

TEST(LoadWholeFile, RefusesWhatIsNoRegularFileAtOnce) {
  support::Directory folder;
  ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);
  std::string content;
  EXPECT_EQ(loadWholeFile(folder / "pipe", content, 100), "not a regular file");
  EXPECT_EQ(loadWholeFile("/dev/zero", content, 100), "not a regular file");
  EXPECT_EQ(loadWholeFile(folder.path(), content, 100), "not a regular file");
  EXPECT_EQ(loadWholeFile(folder / "missing", content, 100), "No such file or directory");
}

TEST(LoadWholeFile, RefusesAFileLongerThanTheLimit) {
  support::Directory folder;
  support::writeFile(folder / "f", std::string(5000, 'x'));
  std::string content;
  EXPECT_EQ(loadWholeFile(folder / "f", content, 4999), "file too large");
  EXPECT_EQ(loadWholeFile(folder / "f", content, 5000), "");
  EXPECT_EQ(content.size(), 5000u);
}

TEST(SaveWholeFile, ReplacesAPlainFileAndKeepsItsPermissions) {
  support::Directory folder;
  support::writeFile(folder / "f", "old content that is longer");
  ::chmod((folder / "f").c_str(), 0640);
  EXPECT_EQ(saveWholeFile(folder / "f", std::string("new\0bytes", 9)), "");
  EXPECT_EQ(support::readFile(folder / "f"), std::string("new\0bytes", 9));
  EXPECT_EQ(fs::status(folder / "f").permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1)
      << "no file of the replacement is left behind";
}

TEST(SaveWholeFile, KeepsHardLinksAndSymbolicLinks) {
  support::Directory folder;
  support::writeFile(folder / "a", "old");
  fs::create_hard_link(folder / "a", folder / "b");
  fs::create_symlink("a", folder / "link");
  EXPECT_EQ(saveWholeFile(folder / "link", "through the link"), "");
  EXPECT_TRUE(fs::is_symlink(folder / "link"));
  EXPECT_EQ(support::readFile(folder / "b"), "through the link");
  EXPECT_EQ(saveWholeFile(folder / "b", "short"), "");
  EXPECT_EQ(support::readFile(folder / "a"), "short") << "written in place, cut to its new size";
  EXPECT_EQ(fs::hard_link_count(folder / "a"), 2u);
}

TEST(SaveWholeFile, RefusesFifosDevicesAndFolders) {
  support::Directory folder;
  ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);
  EXPECT_EQ(saveWholeFile(folder / "pipe", "x"), "not a regular file");
  EXPECT_EQ(saveWholeFile("/dev/null", "x"), "not a regular file");
  EXPECT_EQ(saveWholeFile(folder.path(), "x"), "not a regular file");
  EXPECT_TRUE(fs::is_fifo(folder / "pipe"));
}

TEST(SaveWholeFile, AFileTooLargeForTheSystemLeavesTheOldContent) {
  support::Directory folder;
  support::writeFile(folder / "plain", "old plain");
  support::writeFile(folder / "linked", "old linked");
  fs::create_hard_link(folder / "linked", folder / "other");
  const std::string big(64 * 1024, 'x');
  {
    FileSizeLimit limit(16 * 1024);
    EXPECT_EQ(saveWholeFile(folder / "plain", big), "File too large");
    EXPECT_EQ(saveWholeFile(folder / "linked", big), "File too large");
    EXPECT_EQ(saveWholeFile(folder / "new", big), "File too large");
  }
  EXPECT_EQ(support::readFile(folder / "plain"), "old plain");
  EXPECT_EQ(support::readFile(folder / "other"), "old linked");
  EXPECT_FALSE(fs::exists(folder / "new"));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 3);
}

}  // namespace
}  // namespace platform
