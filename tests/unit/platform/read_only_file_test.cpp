#include "platform/read_only_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <string_view>

#include "platform/file_writer.h"
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

// The sizes of the pieces readInPieces hands on, or its failure's reason.
std::string piecesOf(const std::string& path, std::size_t maxBytes, std::size_t pieceBytes,
                     std::string* content = nullptr) {
  const Result<ReadOnlyFile> file = ReadOnlyFile::open(path);
  if (!file) return file.status().reason();
  std::string sizes;
  const Status read = file->readInPieces(maxBytes, pieceBytes, [&](std::string_view piece) {
    sizes += std::to_string(piece.size()) + " ";
    if (content != nullptr) content->append(piece);
  });
  return read.ok() ? sizes : read.reason();
}

TEST(ReadInPieces, WholePiecesUpToTheLastWhicheverSizeTheFileSays) {
  support::Directory folder;
  support::writeFile(folder / "seven", "1234567");
  support::writeFile(folder / "six", "123456");
  support::writeFile(folder / "empty", "");
  std::string content;
  EXPECT_EQ(piecesOf(folder / "seven", 100, 3, &content), "3 3 1 ");
  EXPECT_EQ(content, "1234567");
  EXPECT_EQ(piecesOf(folder / "six", 100, 3), "3 3 ");
  EXPECT_EQ(piecesOf(folder / "empty", 100, 3), "");
  EXPECT_EQ(piecesOf(folder / "seven", 6, 3), "file too large");

  // A file that says it is empty is read to its end, and refused once it
  // passes the limit.
  content.clear();
  EXPECT_NE(piecesOf("/proc/self/status", 1 << 20, 64, &content), "file too large");
  EXPECT_NE(content.find("Pid:"), std::string::npos);
  EXPECT_EQ(piecesOf("/proc/self/status", 100, 64), "file too large");
}

// `name` in `folder` by a path longer than the system takes whole: its
// folder part, of "./" repeated, stays within the limit, and the file lies
// where the test can remove it.
std::string longPath(const std::string& folder, const std::string& name) {
  std::string path = folder + "/";
  while (path.size() < 4000) path += "./";
  return path + name;
}

// What one command writes, the others read: the writer finds names from
// open folders, and so does every reader.
TEST(LoadWholeFile, ReadsWhatTheWriterWroteAtAPathPastTheSystemsLimit) {
  support::Directory folder;
  const std::string saved = longPath(folder.path(), std::string(200, 's'));
  ASSERT_GT(saved.size(), 4096u);
  ASSERT_EQ(writeWholeFile(saved, "saved").reason(), "");
  const Result<std::string> content = loadWholeFile(saved, 100);
  EXPECT_EQ(content.ok() ? *content : content.status().reason(), "saved");

  Result<FileWriter> unnamed = FileWriter::openNew(folder.path());
  ASSERT_TRUE(unnamed.ok());
  unnamed->write("named later", 11);
  const std::string named = longPath(folder.path(), std::string(200, 'n'));
  ASSERT_EQ(unnamed->commitNew(named).reason(), "");
  const Result<ReadOnlyFile> file = ReadOnlyFile::open(named);
  ASSERT_TRUE(file.ok()) << file.status().reason();
  EXPECT_EQ(file->size(), 11u);

  EXPECT_EQ(failureOf(longPath(folder.path(), "missing"), 100), "No such file or directory");
  EXPECT_EQ(failureOf("", 100), "No such file or directory");
}

}  // namespace
}  // namespace platform
