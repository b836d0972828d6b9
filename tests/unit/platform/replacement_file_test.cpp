#include "platform/replacement_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <set>
#include <string>

#include "tests/support/scratch.h"

namespace {

using platform::ReplacementFile;

std::set<std::string> namesIn(const std::string& directory) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

// Lowers the file size limit for the test's lifetime; writes past it fail
// with EFBIG instead of ending the process.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit lowered = saved_;
    lowered.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &lowered);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previousHandler_);
  }

 private:
  rlimit saved_{};
  void (*previousHandler_)(int);
};

class Replacement : public ::testing::Test {
 protected:
  void SetUp() override { support::writeFile(target_, "old content"); }

  support::Directory folder_{"replace"};
  std::string target_ = folder_ / "target.bin";
};

TEST_F(Replacement, CommitPutsExactlyTheWrittenBytesInPlace) {
  std::optional<ReplacementFile> file = ReplacementFile::create(target_);
  ASSERT_TRUE(file);
  EXPECT_EQ(std::filesystem::path(file->temporaryPath()).parent_path(), folder_.path());
  const std::string bytes = std::string(100000, 'x') + std::string("\0\r\n", 3);
  ASSERT_TRUE(file->write(bytes.data(), 60000));
  ASSERT_TRUE(file->write(bytes.data() + 60000, bytes.size() - 60000));
  EXPECT_EQ(support::readFile(target_), "old content") << "not before the commit";
  ASSERT_TRUE(file->commit());
  EXPECT_EQ(support::readFile(target_), bytes);
  EXPECT_EQ(namesIn(folder_.path()), std::set<std::string>{"target.bin"});
  EXPECT_FALSE(file->commit()) << "a second commit has nothing to commit";
}

TEST_F(Replacement, WithoutACommitTheTargetStaysAndNothingIsLeft) {
  {
    std::optional<ReplacementFile> file = ReplacementFile::create(target_);
    ASSERT_TRUE(file);
    ASSERT_TRUE(file->write("new", 3));
    std::optional<ReplacementFile> moved(std::move(*file));
    file.reset();  // the moved-from file owns nothing
    EXPECT_EQ(namesIn(folder_.path()).size(), 2u);
  }
  EXPECT_EQ(support::readFile(target_), "old content");
  EXPECT_EQ(namesIn(folder_.path()), std::set<std::string>{"target.bin"});
}

TEST_F(Replacement, NoFileIsMadeWhereNoneCanBe) {
  EXPECT_FALSE(ReplacementFile::create(folder_ / "missing/target.bin"));
  EXPECT_FALSE(ReplacementFile::create(target_ + "/inside"));
}

TEST_F(Replacement, AFailedWriteFailsTheCommitAndKeepsTheTarget) {
  FileSizeLimit limit(64 * 1024);
  std::optional<ReplacementFile> file = ReplacementFile::create(target_);
  ASSERT_TRUE(file);
  const std::string bytes(100000, 'x');
  EXPECT_FALSE(file->write(bytes.data(), bytes.size()));
  EXPECT_FALSE(file->write("y", 1)) << "the file stays failed";
  EXPECT_FALSE(file->commit());
  EXPECT_EQ(support::readFile(target_), "old content");
  EXPECT_EQ(namesIn(folder_.path()), std::set<std::string>{"target.bin"});
}

TEST_F(Replacement, ACommitOverAFolderFailsAndLeavesIt) {
  support::makeDirectory(folder_ / "folder");
  support::writeFile(folder_ / "folder/inside.txt", "kept");
  std::optional<ReplacementFile> file = ReplacementFile::create(folder_ / "folder");
  ASSERT_TRUE(file);
  ASSERT_TRUE(file->write("new", 3));
  EXPECT_FALSE(file->commit());
  EXPECT_EQ(support::readFile(folder_ / "folder/inside.txt"), "kept");
  EXPECT_EQ(namesIn(folder_.path()), (std::set<std::string>{"folder", "target.bin"}));
}

}  // namespace
