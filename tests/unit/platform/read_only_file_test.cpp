#include "platform/read_only_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/support/scratch.h"

namespace platform {
namespace {

// The reason a load failed, or "" when it read the file.
std::string failureOf(const std::string& path, std::size_t maxBytes) {
  return loadWholeFile(path, maxBytes).status().reason();
}

TEST(LoadWholeFile, ReadsPastTheSizeTheFileSystemReports) {
  const Result<std::string> content = loadWholeFile("/proc/self/status", 1 << 20);
  ASSERT_TRUE(content.ok()) << content.status().message();
  EXPECT_NE(content->find("Pid:"), std::string::npos);
}

TEST(LoadWholeFile, RefusesWhatIsNoRegularFileAtOnce) {
  support::Directory folder;
  ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);
  EXPECT_EQ(failureOf(folder / "pipe", 100), "not a regular file");
  EXPECT_EQ(failureOf("/dev/zero", 100), "not a regular file");
  EXPECT_EQ(failureOf(folder.path(), 100), "not a regular file");
  EXPECT_EQ(failureOf(folder / "missing", 100), "No such file or directory");
}

TEST(LoadWholeFile, RefusesAFileLongerThanTheLimit) {
  support::Directory folder;
  support::writeFile(folder / "f", std::string(5000, 'x'));
  EXPECT_EQ(failureOf(folder / "f", 4999), "file too large");
  const Result<std::string> content = loadWholeFile(folder / "f", 5000);
  ASSERT_TRUE(content.ok());
  EXPECT_EQ(content->size(), 5000u);
}

}  // namespace
}  // namespace platform
