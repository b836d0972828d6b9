#include "platform/file_tree.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "platform/directory.h"
#include "tests/support/scratch.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

fs::perms permissions(const std::string& path) { return fs::symlink_status(path).permissions(); }

// A folder with a file of its own mode, a folder inside, a link to the file
// and a link to nowhere.
void makeTree(const std::string& root) {
  support::makeDirectory(root + "/sub");
  support::writeFile(root + "/a.txt", std::string(3 << 20, 'x') + "end");
  fs::permissions(root + "/a.txt", fs::perms(0750));
  support::writeFile(root + "/sub/b.bin", std::string("\0\1\2", 3));
  fs::create_symlink("a.txt", root + "/link");
  fs::create_symlink("nowhere", root + "/sub/dangling");
}

void expectTree(const std::string& root) {
  EXPECT_EQ(support::readFile(root + "/a.txt"), std::string(3 << 20, 'x') + "end");
  EXPECT_EQ(permissions(root + "/a.txt"), fs::perms(0750));
  EXPECT_EQ(support::readFile(root + "/sub/b.bin"), std::string("\0\1\2", 3));
  EXPECT_EQ(fs::read_symlink(root + "/link"), "a.txt");
  EXPECT_EQ(fs::read_symlink(root + "/sub/dangling"), "nowhere");
}

TEST(FileTree, CopiesFoldersWholeWithLinksAsLinks) {
  support::Directory folder;
  makeTree(folder / "from");
  ASSERT_TRUE(copyTree(folder / "from", folder / "to/").ok());
  expectTree(folder / "to");
  expectTree(folder / "from");
  ASSERT_TRUE(copyTree(folder / "from/link", folder / "link-copy").ok());
  EXPECT_EQ(fs::read_symlink(folder / "link-copy"), "a.txt");
}

TEST(FileTree, AnExistingTargetIsNeverReplaced) {
  support::Directory folder;
  support::writeFile(folder / "a", "a");
  support::writeFile(folder / "b", "b");
  fs::create_symlink("nowhere", folder / "dangling");
  EXPECT_EQ(copyTree(folder / "a", folder / "b").code(), EEXIST);
  EXPECT_EQ(moveTree(folder / "a", folder / "b").code(), EEXIST);
  EXPECT_EQ(moveTree(folder / "a", folder / "dangling").code(), EEXIST);
  EXPECT_EQ(support::readFile(folder / "a"), "a");
  EXPECT_EQ(support::readFile(folder / "b"), "b");
}

TEST(FileTree, AFailedCopyLeavesNothingAndNoCopyGoesIntoItself) {
  support::Directory folder;
  makeTree(folder / "from");
  ASSERT_EQ(::mkfifo((folder / "from/sub/pipe").c_str(), 0600), 0);
  EXPECT_EQ(copyTree(folder / "from", folder / "to").code(), ENOTSUP);
  EXPECT_FALSE(fs::exists(fs::symlink_status(folder / "to")));
  EXPECT_EQ(copyTree(folder / "from", folder / "from/sub/copy").code(), EINVAL);
  EXPECT_FALSE(fs::exists(folder / "from/sub/copy"));
  EXPECT_EQ(copyTree(folder / "missing", folder / "to").code(), ENOENT);
}

TEST(FileTree, MovesWithinAndAcrossFileSystems) {
  support::Directory folder;
  makeTree(folder / "from");
  ASSERT_TRUE(moveTree(folder / "from", folder / "moved").ok());
  expectTree(folder / "moved");
  EXPECT_FALSE(fs::exists(folder / "from"));

  struct stat here {
  }, shared{};
  if (::stat(folder.path().c_str(), &here) != 0 || ::stat("/dev/shm", &shared) != 0 ||
      here.st_dev == shared.st_dev) {
    GTEST_SKIP() << "no second file system to move to";
  }
  const std::string away = "/dev/shm/pageshell-move-" + std::to_string(::getpid());
  const Status moved = moveTree(folder / "moved", away);
  EXPECT_TRUE(moved.ok()) << moved.message();
  expectTree(away);
  EXPECT_FALSE(fs::exists(folder / "moved"));
  fs::remove_all(away);
}

TEST(FileTree, RemovingNeverFollowsLinks) {
  support::Directory folder;
  support::makeDirectory(folder / "outside");
  support::writeFile(folder / "outside/kept.txt", "kept");
  support::makeDirectory(folder / "tree/inner");
  fs::create_symlink(folder / "outside", folder / "tree/inner/to-outside");
  fs::create_symlink(folder / "outside", folder / "link");

  EXPECT_EQ(removeTree(folder / "tree", false).code(), ENOTEMPTY);
  EXPECT_TRUE(removeTree(folder / "tree", true).ok());
  EXPECT_TRUE(removeTree(folder / "link", true).ok());
  EXPECT_FALSE(fs::exists(fs::symlink_status(folder / "tree")));
  EXPECT_FALSE(fs::exists(fs::symlink_status(folder / "link")));
  EXPECT_EQ(support::readFile(folder / "outside/kept.txt"), "kept");
  EXPECT_EQ(removeTree(folder / "tree", false).code(), ENOENT);
}

TEST(FileTree, MakingFoldersMakesTheMissingParents) {
  support::Directory folder;
  EXPECT_TRUE(createDirectories(folder / "a/b/c/").ok());
  EXPECT_TRUE(fs::is_directory(folder / "a/b/c"));
  EXPECT_TRUE(createDirectories(folder / "a/b").ok()) << "a folder already there is kept";
  support::writeFile(folder / "file", "");
  EXPECT_EQ(createDirectories(folder / "file/x").code(), EEXIST);
}

}  // namespace
}  // namespace platform
