#include "platform/directory_listing.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/scratch.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kDecember8 = 1796738585;  // 2026-12-08T14:03:05Z

void setModified(const std::string& path, std::int64_t seconds) {
  const timespec times[2] = {{seconds, 0}, {seconds, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

TEST(DirectoryListing, EntriesComeInByteOrderEachSeenAsItself) {
  support::Directory folder;
  support::writeFile(folder / "b.txt", "12345");
  support::makeDirectory(folder / "A");
  support::writeFile(folder / "\xc3\xa9", "");
  fs::create_symlink("A", folder / "link");
  ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);
  setModified(folder / "b.txt", kDecember8);

  const Result<std::vector<DirectoryEntry>> listed = listDirectory(folder.path());
  ASSERT_TRUE(listed.ok()) << listed.status().message();
  std::vector<std::string> names;
  std::vector<std::string> kinds;
  for (const DirectoryEntry& entry : *listed) {
    names.push_back(entry.name);
    kinds.push_back(kindName(entry.info.kind));
  }
  EXPECT_EQ(names, (std::vector<std::string>{"A", "b.txt", "link", "pipe", "\xc3\xa9"}));
  EXPECT_EQ(kinds, (std::vector<std::string>{"folder", "file", "link", "other", "file"}));
  EXPECT_EQ((*listed)[1].info.size, 5u);
  EXPECT_EQ(utcTimestamp((*listed)[1].info.modified), "2026-12-08T14:03:05Z");
}

TEST(DirectoryListing, PathInfoDoesNotFollowLinksAndMissingPathsFail) {
  support::Directory folder;
  fs::create_symlink("nowhere", folder / "dangling");
  const Result<PathInfo> link = pathInfo(folder / "dangling");
  ASSERT_TRUE(link.ok());
  EXPECT_EQ(link->kind, PathKind::kLink);
  EXPECT_EQ(link->size, 7u);
  EXPECT_EQ(pathInfo(folder / "missing").status().code(), ENOENT);
  EXPECT_EQ(listDirectory(folder / "dangling").status().code(), ENOENT);
  EXPECT_EQ(utcTimestamp(0), "1970-01-01T00:00:00Z");
}

}  // namespace
}  // namespace platform
