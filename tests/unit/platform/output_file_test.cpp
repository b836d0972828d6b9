// New files for downloads: made only where nothing stands, written through
// their own descriptor.
#include "platform/output_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "tests/support/scratch.h"

namespace platform {
namespace {

TEST(OutputFile, ANewFileIsMadeOnlyWhereNothingStands) {
  support::Directory folder("output");
  support::writeFile(folder / "taken", "keep");
  ASSERT_EQ(::symlink((folder / "target").c_str(), (folder / "dangling").c_str()), 0);

  EXPECT_EQ(OutputFile::createNew(folder / "taken").error(), EEXIST);
  EXPECT_EQ(OutputFile::createNew(folder / "dangling").error(), EEXIST);
  EXPECT_EQ(OutputFile::createNew(folder / "no/such").error(), ENOENT);
  EXPECT_EQ(support::readFile(folder / "taken"), "keep");
  EXPECT_FALSE(std::filesystem::exists(folder / "target")) << "nothing written through the link";

  OutputFile made = OutputFile::createNew(folder / "new");
  ASSERT_TRUE(made.valid());
  EXPECT_TRUE(made.writeAll("ab", 2));
  EXPECT_TRUE(made.writeAll("cd", 2));
  EXPECT_TRUE(made.close());
  EXPECT_EQ(support::readFile(folder / "new"), "abcd");
}

TEST(OutputFile, AFullDiskIsAFailedWrite) {
  OutputFile full = OutputFile::openTruncated("/dev/full");
  ASSERT_TRUE(full.valid());
  EXPECT_FALSE(full.writeAll("x", 1));
}

}  // namespace
}  // namespace platform
