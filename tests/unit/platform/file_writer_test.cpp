#include "platform/file_writer.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>

#include "platform/in_place_write.h"
#include "tests/support/scratch.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

std::set<std::string> namesIn(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

mode_t modeOf(const std::string& path) {
  struct stat info {};
  ::lstat(path.c_str(), &info);
  return info.st_mode & 07777;
}

ino_t inodeOf(const std::string& path) {
  struct stat info {};
  ::stat(path.c_str(), &info);
  return info.st_ino;
}

// Sets the umask for its lifetime.
class Umask {
 public:
  explicit Umask(mode_t mask) : saved_(::umask(mask)) {}
  ~Umask() { ::umask(saved_); }

 private:
  mode_t saved_;
};

// Lowers the file size limit for its lifetime: the one way to meet "disk
// full" here without a disk to fill. Writes past it fail with EFBIG.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    ignoreFileSizeSignal();
    rlimit lowered = saved_;
    lowered.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &lowered);
  }
  ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &saved_); }

 private:
  rlimit saved_{};
};

// Runs `check` in a child process as a user who owns nothing here (the
// superuser steps down to "nobody" first), and tells whether it held.
bool holdsForAnOrdinaryUser(const std::function<bool()>& check) {
  const pid_t child = ::fork();
  if (child == 0) {
    if (::geteuid() == 0 &&
        (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) {
      ::_exit(2);
    }
    ::_exit(check() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Runs `check` in a child process that first mounts a file system of `type`
// at `where`, seen by it alone, and answers its exit status: 0 when `check`
// held, 77 when the mount could not be made.
int exitOfCheckOnMount(const char* type, const std::string& where,
                       const std::function<bool()>& check) {
  const pid_t child = ::fork();
  if (child == 0) {
    if (::unshare(CLONE_NEWNS) != 0 ||
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("none", where.c_str(), type, 0, nullptr) != 0) {
      ::_exit(77);
    }
    ::_exit(check() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

using Attributes = std::map<std::string, std::string>;

// Every extended attribute of `path` the running user may read.
Attributes attributesOf(const std::string& path) {
  Attributes attributes;
  std::string names(1 << 16, '\0');
  const ssize_t size = ::listxattr(path.c_str(), &names[0], names.size());
  for (ssize_t at = 0; at < size; at += static_cast<ssize_t>(std::strlen(&names[at])) + 1) {
    std::string value(1 << 16, '\0');
    const ssize_t length = ::getxattr(path.c_str(), &names[at], &value[0], value.size());
    value.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    attributes[&names[at]] = value;
  }
  return attributes;
}

bool setAttribute(const std::string& path, const std::string& name, const std::string& value) {
  return ::setxattr(path.c_str(), name.c_str(), value.data(), value.size(), 0) == 0;
}

// An access control list, in the form the system keeps it in the attribute
// system.posix_acl_access: the owner may read and write, and so may the
// user `user`; the group and others may read.
std::string accessListLettingWrite(uid_t user) {
  std::string list;
  const auto add = [&list](std::uint32_t value, int bytes) {
    for (int byte = 0; byte < bytes; ++byte) list += static_cast<char>(value >> (8 * byte));
  };
  const auto entry = [&add](std::uint16_t tag, std::uint16_t permissions, std::uint32_t id) {
    add(tag, 2);
    add(permissions, 2);
    add(id, 4);
  };
  const std::uint32_t noId = 0xffffffff;
  add(2, 4);             // the format's version
  entry(0x01, 6, noId);  // owner
  entry(0x02, 6, user);
  entry(0x04, 4, noId);  // group
  entry(0x10, 6, noId);  // mask
  entry(0x20, 4, noId);  // others
  return list;
}

// Writes a larger content over a hard-linked file in `folder` and meets a
// file size limit between the two sizes on the way: true when the commit
// failed as "File too large" and every link still holds the old content.
bool aWriteInPlacePastTheLimitKeepsTheOld(const std::string& folder) {
  const std::string old(3 * 65536, 'o');
  const std::string bigger(4 * 65536, 'n');
  support::writeFile(folder + "/linked", old);
  fs::create_hard_link(folder + "/linked", folder + "/other");
  Result<FileWriter> writer = FileWriter::open(folder + "/linked");
  if (!writer) return false;
  writer->write(bigger.data(), bigger.size());
  FileSizeLimit limit(old.size() + 4096);
  return writer->commit().reason() == "File too large" &&
         support::readFile(folder + "/linked") == old &&
         support::readFile(folder + "/other") == old;
}

class Writer : public ::testing::Test {
 protected:
  std::string save(const std::string& name, const std::string& content) {
    return writeWholeFile(folder_ / name, content).reason();
  }
  std::string read(const std::string& name) { return support::readFile(folder_ / name); }

  support::Directory folder_{"writer"};
};

TEST_F(Writer, ReplacesAPlainFileKeepingItsModeAndLeavesNothingElse) {
  support::writeFile(folder_ / "private", "old content that is longer");
  ::chmod((folder_ / "private").c_str(), 0600);
  EXPECT_EQ(save("private", std::string("new\0bytes", 9)), "");
  EXPECT_EQ(read("private"), std::string("new\0bytes", 9));
  EXPECT_EQ(modeOf(folder_ / "private"), 0600u);
  EXPECT_EQ(namesIn(folder_.path()), std::set<std::string>{"private"});
}

TEST_F(Writer, NewFilesGetTheModeEveryProgramGivesThem) {
  Umask mask(027);
  EXPECT_EQ(save("new", "x"), "");
  EXPECT_EQ(modeOf(folder_ / "new"), 0640u);
  Result<FileWriter> pdf = FileWriter::openNew(folder_.path());
  ASSERT_TRUE(pdf.ok());
  EXPECT_TRUE(pdf->commitNew(folder_ / "new.pdf").ok());
  EXPECT_EQ(modeOf(folder_ / "new.pdf"), 0640u);
}

TEST_F(Writer, KeepsTheOwnerOfAFileItReplaces) {
  if (::geteuid() != 0) GTEST_SKIP() << "only the superuser can make a file someone else's";
  support::writeFile(folder_ / "theirs", "old");
  ASSERT_EQ(::chown((folder_ / "theirs").c_str(), 65534, 65534), 0);
  EXPECT_EQ(save("theirs", "new"), "");
  struct stat info {};
  ::stat((folder_ / "theirs").c_str(), &info);
  EXPECT_EQ(info.st_uid, 65534u);
  EXPECT_EQ(info.st_gid, 65534u);
}

TEST_F(Writer, WritesWhatLinksNameAndKeepsHardLinksTogether) {
  support::writeFile(folder_ / "a", "old");
  fs::create_hard_link(folder_ / "a", folder_ / "b");
  fs::create_symlink("a", folder_ / "link");
  EXPECT_EQ(save("link", "through the link"), "");
  EXPECT_TRUE(fs::is_symlink(folder_ / "link"));
  EXPECT_EQ(read("b"), "through the link");
  EXPECT_EQ(save("b", "short"), "");
  EXPECT_EQ(read("a"), "short") << "written in place, cut to its new size";
  EXPECT_EQ(fs::hard_link_count(folder_ / "a"), 2u);
  fs::create_symlink("missing", folder_ / "dangling");
  EXPECT_EQ(save("dangling", "made"), "");
  EXPECT_EQ(read("missing"), "made");
  EXPECT_TRUE(fs::is_symlink(folder_ / "dangling"));
}

TEST_F(Writer, RefusesFifosDevicesFoldersAndReadOnlyFiles) {
  ASSERT_EQ(::mkfifo((folder_ / "pipe").c_str(), 0600), 0);
  EXPECT_EQ(save("pipe", "x"), "not a regular file");
  EXPECT_EQ(writeWholeFile("/dev/null", "x").reason(), "not a regular file");
  EXPECT_EQ(save("", "x"), "not a regular file") << "the folder itself";
  EXPECT_TRUE(fs::is_fifo(folder_ / "pipe"));
  EXPECT_TRUE(fs::is_character_file("/dev/null"));

  support::writeFile(folder_ / "read-only", "kept");
  ::chmod((folder_ / "read-only").c_str(), 0444);
  EXPECT_EQ(save("read-only", "x"), "Permission denied");
  EXPECT_EQ(read("read-only"), "kept");
  EXPECT_EQ(modeOf(folder_ / "read-only"), 0444u);
}

TEST_F(Writer, WritesInPlaceInAFolderThatTakesNoNewFile) {
  ::chmod(folder_.path().c_str(), 0755);
  support::makeDirectory(folder_ / "locked");
  support::writeFile(folder_ / "locked/file", "old content");
  ::chmod((folder_ / "locked/file").c_str(), 0666);
  ::chmod((folder_ / "locked").c_str(), 0555);
  const ino_t before = inodeOf(folder_ / "locked/file");
  const std::string path = folder_ / "locked/file";
  EXPECT_TRUE(holdsForAnOrdinaryUser([&path] { return writeWholeFile(path, "new").ok(); }));
  EXPECT_TRUE(holdsForAnOrdinaryUser([&path] { return !writeWholeFile(path + "2", "x").ok(); }))
      << "a new file cannot be made there";
  ::chmod((folder_ / "locked").c_str(), 0755);
  EXPECT_EQ(read("locked/file"), "new");
  EXPECT_EQ(inodeOf(path), before);
  EXPECT_EQ(namesIn(folder_ / "locked"), std::set<std::string>{"file"});
}

TEST_F(Writer, StreamsOutOfSightAndOnlyACommitTouchesTheTarget) {
  support::writeFile(folder_ / "target", "old content");
  const std::string bytes = std::string(100000, 'x') + std::string("\0\r\n", 3);
  {
    Result<FileWriter> abandoned = FileWriter::open(folder_ / "target");
    ASSERT_TRUE(abandoned.ok());
    abandoned->write("new", 3);
  }
  EXPECT_EQ(read("target"), "old content");
  Result<FileWriter> writer = FileWriter::open(folder_ / "target");
  ASSERT_TRUE(writer.ok());
  writer->write(bytes.data(), 60000);
  writer->write(bytes.data() + 60000, bytes.size() - 60000);
  EXPECT_EQ(read("target"), "old content") << "not before the commit";
  EXPECT_EQ(namesIn(folder_.path()), std::set<std::string>{"target"})
      << "an unfinished file has no name that could outlive the process";
  ASSERT_TRUE(writer->commit().ok());
  EXPECT_EQ(read("target"), bytes);
  EXPECT_EQ(namesIn(folder_.path()), std::set<std::string>{"target"});
  EXPECT_FALSE(writer->commit().ok()) << "a second commit has nothing to commit";
}

TEST_F(Writer, AFailedWriteLeavesEveryOldContentWhole) {
  support::writeFile(folder_ / "plain", "old plain");
  support::writeFile(folder_ / "linked", "old linked");
  fs::create_hard_link(folder_ / "linked", folder_ / "other");
  const std::string big(64 * 1024, 'x');
  {
    FileSizeLimit limit(16 * 1024);
    EXPECT_EQ(save("plain", big), "File too large");
    EXPECT_EQ(save("linked", big), "File too large");
    EXPECT_EQ(save("new", big), "File too large");
    Result<FileWriter> stream = FileWriter::open(folder_ / "plain");
    ASSERT_TRUE(stream.ok());
    stream->write(big.data(), big.size());
    stream->write("y", 1);
    EXPECT_EQ(stream->commit().code(), EFBIG) << "the first failure is the one reported";
  }
  EXPECT_EQ(read("plain"), "old plain");
  EXPECT_EQ(read("other"), "old linked");
  EXPECT_EQ(namesIn(folder_.path()), (std::set<std::string>{"linked", "other", "plain"}));
}

TEST_F(Writer, InPlaceTheRoomIsTakenBeforeTheFirstOldByteChanges) {
  EXPECT_TRUE(aWriteInPlacePastTheLimitKeepsTheOld(folder_.path()));
}

// A file system that cannot reserve space (ramfs) is grown by writing.
TEST_F(Writer, InPlaceWithoutReservingTheRoomIsTakenByWriting) {
  const int status = exitOfCheckOnMount("ramfs", folder_.path(), [this] {
    const bool kept = aWriteInPlacePastTheLimitKeepsTheOld(folder_.path());
    const std::string bigger(5 * 65536, 'b');
    return kept && writeWholeFile(folder_ / "other", bigger).ok() && read("linked") == bigger;
  });
  if (status == 77) GTEST_SKIP() << "no mount namespace here";
  EXPECT_EQ(status, 0);
}

TEST(GrowingByWriting, TakesTheRoomOrLeavesTheFileAsItWas) {
  support::Directory folder("writer");
  const std::string path = folder / "file";
  support::writeFile(path, "old");
  const int descriptor = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  ASSERT_GE(descriptor, 0);
  {
    FileSizeLimit limit(4096);
    EXPECT_EQ(growByWriting(descriptor, 3, 10000, path).reason(), "File too large");
  }
  EXPECT_EQ(support::readFile(path), "old");
  EXPECT_TRUE(growByWriting(descriptor, 3, 10000, path).ok());
  struct stat info {};
  ::fstat(descriptor, &info);
  ::close(descriptor);
  EXPECT_EQ(support::readFile(path), "old" + std::string(9997, '\0'));
  EXPECT_GE(info.st_blocks * 512, 10000) << "written, not left a hole";
}

// A new file would take the folder's default access list; a replaced one
// keeps the list it had, or none.
TEST_F(Writer, AReplacedFileHasTheAttributesItHadAndNoOthers) {
  const std::string shared = folder_ / "shared";
  const std::string plain = folder_ / "plain";
  support::writeFile(shared, "old");
  support::writeFile(plain, "old");
  ::chmod(shared.c_str(), 0644);
  ::chmod(folder_.path().c_str(), 0755);
  if (!setAttribute(shared, "user.origin", "page")) {
    GTEST_SKIP() << "no user attributes here: " << std::strerror(errno);
  }
  ASSERT_TRUE(setAttribute(shared, "user.empty", ""));
  if (!setAttribute(shared, "system.posix_acl_access", accessListLettingWrite(65534)) ||
      !setAttribute(folder_.path(), "system.posix_acl_default", accessListLettingWrite(65534))) {
    GTEST_SKIP() << "no access control lists here: " << std::strerror(errno);
  }
  const Attributes sharedBefore = attributesOf(shared);
  const Attributes plainBefore = attributesOf(plain);
  const ino_t before = inodeOf(shared);

  EXPECT_EQ(save("shared", "new"), "");
  EXPECT_EQ(save("plain", "new"), "");
  EXPECT_NE(inodeOf(shared), before) << "replaced, not written in place";
  EXPECT_EQ(attributesOf(shared), sharedBefore);
  EXPECT_EQ(attributesOf(plain), plainBefore);
  EXPECT_EQ(modeOf(shared), 0664u);
  EXPECT_TRUE(holdsForAnOrdinaryUser([&shared] { return ::access(shared.c_str(), W_OK) == 0; }))
      << "the list still lets another user write";
  EXPECT_TRUE(holdsForAnOrdinaryUser([&plain] { return ::access(plain.c_str(), W_OK) != 0; }));
}

TEST_F(Writer, AnAttributeTheUserMayNotSetDoesNotStopASave) {
  if (::geteuid() != 0) GTEST_SKIP() << "only the superuser can set a security attribute";
  ::chmod(folder_.path().c_str(), 0755);
  support::makeDirectory(folder_ / "theirs");
  const std::string path = folder_ / "theirs/labelled";
  support::writeFile(path, "old");
  ASSERT_EQ(::chown((folder_ / "theirs").c_str(), 65534, 65534), 0);
  ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
  if (!setAttribute(path, "user.origin", "page") ||
      !setAttribute(path, "security.pageshell", "label")) {
    GTEST_SKIP() << "no such attributes here: " << std::strerror(errno);
  }
  const ino_t before = inodeOf(path);
  EXPECT_TRUE(holdsForAnOrdinaryUser([&path] { return writeWholeFile(path, "new").ok(); }));
  EXPECT_EQ(support::readFile(path), "new");
  EXPECT_NE(inodeOf(path), before);
  EXPECT_EQ(attributesOf(path), (Attributes{{"user.origin", "page"}}));
}

// A path of the greatest length the system takes, ending in a short name:
// the writer's own names must fit wherever the target's does, and a
// relative link is followed from where it stands, however long the two
// would be written together.
TEST_F(Writer, SavesOverAFileWhosePathIsLongButLegal) {
  const std::string name = "notes.txt";
  const std::size_t folderLength = 4079 - 1 - name.size();
  const std::string deep(250, 'd');
  std::string folder = folder_.path();
  while (folderLength - folder.size() > 252) {
    folder += "/" + deep;
    support::makeDirectory(folder);
  }
  const std::string last(folderLength - folder.size() - 1, 'e');
  folder += "/" + last;
  support::makeDirectory(folder);
  const std::string path = folder + "/" + name;
  ASSERT_EQ(path.size(), 4079u);
  EXPECT_EQ(writeWholeFile(path, "beside").reason(), "");
  EXPECT_EQ(writeWholeFile(path, "over").reason(), "");
  EXPECT_EQ(support::readFile(path), "over");
  fs::create_symlink("../../" + deep + "/" + last + "/" + name, folder + "/link");
  EXPECT_EQ(writeWholeFile(folder + "/link", "through the link").reason(), "");
  EXPECT_EQ(support::readFile(path), "through the link");
  EXPECT_EQ(namesIn(folder), (std::set<std::string>{"link", name}));
}

TEST_F(Writer, NoFileIsMadeWhereNoneCanBe) {
  EXPECT_EQ(save("missing/target", "x"), "No such file or directory");
  support::writeFile(folder_ / "file", "x");
  EXPECT_EQ(save("file/inside", "x"), "Not a directory");
  EXPECT_FALSE(FileWriter::openNew(folder_ / "missing").ok());
}

TEST_F(Writer, ANewFileTakesOnlyANameWhereNothingStands) {
  fs::create_symlink(folder_ / "elsewhere", folder_ / "planted.pdf");
  support::writeFile(folder_ / "taken.pdf", "first");
  Result<FileWriter> writer = FileWriter::openNew(folder_.path());
  ASSERT_TRUE(writer.ok());
  support::writeFile(writer->contentPath(), "written by name");
  EXPECT_EQ(writer->commitNew(folder_ / "planted.pdf").code(), EEXIST);
  EXPECT_EQ(writer->commitNew(folder_ / "taken.pdf").code(), EEXIST);
  EXPECT_FALSE(fs::exists(folder_ / "elsewhere")) << "nothing is written through a link";
  EXPECT_EQ(read("taken.pdf"), "first");
  ASSERT_TRUE(writer->commitNew(folder_ / "free.pdf").ok());
  EXPECT_EQ(read("free.pdf"), "written by name");
  EXPECT_EQ(namesIn(folder_.path()),
            (std::set<std::string>{"free.pdf", "planted.pdf", "taken.pdf"}));
}

// Without /proc an unnamed file could never be given a name, so the writer
// makes hidden named files instead; a child hides /proc from itself to go
// that way, and ends as the shell does when its writers outlive the grace.
TEST(NamedTemporaryFiles, GoWhenTheProcessEndsWithoutItsWriters) {
  support::Directory folder("writer");
  const auto hidden = [&folder] {
    int count = 0;
    for (const std::string& name : namesIn(folder.path())) count += name[0] == '.';
    return count;
  };
  std::optional<Result<FileWriter>> unfinished;  // the child ends while it works
  const int status = exitOfCheckOnMount("tmpfs", "/proc", [&] {
    const bool held = writeWholeFile(folder / "saved", "the named way").ok() &&
                      support::readFile(folder / "saved") == "the named way" && hidden() == 0;
    unfinished.emplace(FileWriter::open(folder / "saved"));
    (*unfinished)->write("x", 1);
    const bool hiddenWhileWriting = hidden() == 1;
    removeUnfinishedFiles();
    return held && hiddenWhileWriting && hidden() == 0;
  });
  if (status == 77) GTEST_SKIP() << "no mount namespace here";
  EXPECT_EQ(status, 0);
  EXPECT_EQ(namesIn(folder.path()), std::set<std::string>{"saved"});
}

// The shell ignores the signal from the start; this child does the same
// and meets the limit as a failed write instead of its end.
TEST(FileSizeSignal, IgnoredItTurnsALimitIntoAFailedWrite) {
  support::Directory folder("writer");
  const std::string path = folder / "big";
  const pid_t child = ::fork();
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_DFL);
    ignoreFileSizeSignal();
    const rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ::_exit(writeWholeFile(path, std::string(8192, 'x')).code() == EFBIG ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(namesIn(folder.path()), std::set<std::string>{});
}

}  // namespace
}  // namespace platform
