#include "platform/reserved_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/local_peer.h"
#include "tests/support/scratch.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

ReservedFile reserve(const std::string& path) {
  Result<ReservedFile> made = ReservedFile::create(path);
  EXPECT_TRUE(made.ok()) << made.status().message();
  return made ? std::move(*made) : ReservedFile();
}

void write(const ReservedFile& reserved, const std::string& bytes) {
  Result<OutputFile> opened = reserved.open();
  ASSERT_TRUE(opened.ok()) << opened.status().message();
  ASSERT_TRUE(opened->writeAll(bytes.data(), bytes.size()).ok());
  ASSERT_TRUE(opened->close().ok());
}

TEST(ReservedFile, TakesTheNameAtOnceHoldsNoDescriptorAndGoesUnlessKept) {
  support::Directory folder("reserved");
  const int before = support::openDescriptors();
  std::vector<ReservedFile> reserved;
  for (int i = 0; i < 50; ++i) reserved.push_back(reserve(folder / std::to_string(i)));
  EXPECT_EQ(support::openDescriptors(), before);
  EXPECT_EQ(fs::file_size(folder / "7"), 0u);
  EXPECT_EQ(ReservedFile::create(folder / "7").status().code(), EEXIST);

  write(reserved[7], "first, longer");
  write(reserved[7], "second");
  reserved[7].keep();
  ReservedFile moved = std::move(reserved[8]);
  reserved.clear();
  EXPECT_EQ(support::readFile(folder / "7"), "second") << "opening empties the file";
  EXPECT_FALSE(fs::exists(folder / "6"));
  EXPECT_TRUE(fs::exists(folder / "8")) << "the moved-from reservation held nothing";
  moved.remove();
  EXPECT_FALSE(fs::exists(folder / "8"));
}

// Whatever is put at the name between reserving and writing, a link, a
// FIFO or another file, is never written nor removed.
TEST(ReservedFile, NeverTouchesWhatTookItsNameSince) {
  support::Directory folder("reserved");
  support::writeFile(folder / "victim", "keep me");
  const auto replaced = [&folder](const std::string& name, auto putInPlace) {
    ReservedFile reserved = reserve(folder / name);
    putInPlace(folder / name);
    EXPECT_FALSE(reserved.open().ok()) << name;
    reserved.remove();
    EXPECT_TRUE(fs::exists(fs::symlink_status(folder / name))) << name << " was removed";
  };
  replaced("link", [&folder](const std::string& at) {
    fs::remove(at);
    fs::create_symlink(folder / "victim", at);
  });
  replaced("fifo", [](const std::string& at) {
    fs::remove(at);
    ASSERT_EQ(::mkfifo(at.c_str(), 0600), 0);
  });
  // As programs replace a file: written aside, then renamed over it.
  replaced("other", [](const std::string& at) {
    support::writeFile(at + ".new", "another's");
    fs::rename(at + ".new", at);
  });
  EXPECT_EQ(support::readFile(folder / "victim"), "keep me");
  EXPECT_EQ(support::readFile(folder / "other"), "another's");
}

}  // namespace
}  // namespace platform
