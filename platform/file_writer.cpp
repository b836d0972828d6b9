#include "platform/file_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <mutex>
#include <random>
#include <set>
#include <utility>

#include "platform/directory.h"
#include "platform/file_attributes.h"
#include "platform/in_place_write.h"

namespace platform {
namespace {

const char kNotRegular[] = "not a regular file";

Status notRegular(const std::string& path) { return Status::failure(EINVAL, path, kNotRegular); }

// The named temporary files that exist now, so that a process ending
// without waiting for its writers can remove them. Each name is made and
// entered under one lock, so removal never misses one being made.
class UnfinishedFiles {
 public:
  static UnfinishedFiles& instance() {
    static UnfinishedFiles* files = new UnfinishedFiles;  // outlives every writer
    return *files;
  }

  // Runs `make`, which makes the file `name` and answers whether it did.
  template <class Make>
  bool enter(const std::string& name, Make make) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!make()) return false;
    names_.insert(name);
    return true;
  }

  void remove(const std::string& name) {
    std::lock_guard<std::mutex> lock(mutex_);
    ::unlink(name.c_str());
    names_.erase(name);
  }

  // For a name that has been renamed away.
  void forget(const std::string& name) {
    std::lock_guard<std::mutex> lock(mutex_);
    names_.erase(name);
  }

  // The lock is kept: the process is about to end.
  void removeAllForGood() {
    mutex_.lock();
    for (const std::string& name : names_) ::unlink(name.c_str());
    names_.clear();
  }

 private:
  std::mutex mutex_;
  std::set<std::string> names_;
};

// A hidden name in `folder` (ending in '/'), short so that a target name
// near the length limit still leaves room for it.
std::string hiddenNameIn(const std::string& folder) {
  thread_local std::mt19937_64 random{std::random_device{}()};
  char suffix[17];
  std::snprintf(suffix, sizeof suffix, "%016llx", static_cast<unsigned long long>(random()));
  return folder + ".pageshell-" + suffix + ".part";
}

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "./" : path.substr(0, slash + 1);
}

// `path` with symbolic links followed to the file they name (which need not
// exist yet). Gives up after 40 links, as the system does.
Result<std::string> followLinks(std::string path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    std::string target(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 255) + 1, '\0');
    const ssize_t length = ::readlink(path.c_str(), &target[0], target.size());
    if (length < 0) return Status::fromErrno(path);
    target.resize(static_cast<std::size_t>(length));
    if (target.empty() || target[0] != '/') target = folderOf(path) + target;
    path = target;
  }
  return Status::failure(ELOOP, path);
}

// Makes the rename or link durable. Failing that, it still stands.
void syncFolder(const std::string& folder) {
  const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return;
  ::fsync(descriptor);
  ::close(descriptor);
}

// The superuser may write any file; one without any write permission is
// still refused, as the system refuses it execution of a file without any
// execute permission.
bool refusesWriting(const struct stat& info) {
  return ::geteuid() == 0 && (info.st_mode & 0222) == 0;
}

// Gives the new file `to` the extended attributes of the file `target`. A
// file that cannot be read cannot give them.
bool carriesAttributes(const std::string& target, int to, const std::string& path) {
  const int from = ::open(target.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (from < 0) return false;
  const bool carried = copyAttributes(from, to, path).ok();
  ::close(from);
  return carried;
}

}  // namespace

// The content's own file: unnamed (O_TMPFILE) where the file system allows
// it, else under a hidden name entered in UnfinishedFiles.
struct FileWriter::Content {
  int descriptor = -1;
  std::string temporaryName;
  std::string path;  // contentPath()

  // A new content file in `folder` (ending in '/').
  static Result<Content> make(const std::string& folder) {
    Content content;
    content.descriptor = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
    if (content.descriptor >= 0) {
      content.path = "/proc/self/fd/" + std::to_string(content.descriptor);
      // Without /proc the file could never be given a name.
      if (::access(content.path.c_str(), F_OK) == 0) return content;
      ::close(content.descriptor);
    } else if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
      return Status::fromErrno(folder);
    }
    // A name already taken is tried again with another; anything else is final.
    for (int attempt = 0; attempt < 16; ++attempt) {
      content.temporaryName = hiddenNameIn(folder);
      const bool made = UnfinishedFiles::instance().enter(content.temporaryName, [&content] {
        content.descriptor =
            ::open(content.temporaryName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        return content.descriptor >= 0;
      });
      if (made) {
        content.path = content.temporaryName;
        return content;
      }
      if (errno != EEXIST) break;
    }
    return Status::fromErrno(folder);
  }
};

Result<FileWriter> FileWriter::open(const std::string& path) {
  if (path.empty()) return Status::failure(ENOENT, path);
  Result<std::string> followed = followLinks(path);
  if (!followed) return followed.status();
  const std::string& target = *followed;
  const std::string folder = folderOf(target);

  struct stat info;
  if (::stat(target.c_str(), &info) != 0) {
    if (errno != ENOENT) return Status::fromErrno(path);
    Result<Content> content = Content::make(folder);
    if (!content) return Status::failure(content.status().code(), path);
    return FileWriter(Placing::kRename, target, -1, std::move(*content));
  }
  if (!S_ISREG(info.st_mode)) return notRegular(path);
  if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return Status::fromErrno(path);
  if (refusesWriting(info)) return Status::failure(EACCES, path);

  Result<Content> beside = Content::make(folder);
  if (!beside) {
    // A folder that takes no new file: the file itself may still be written.
    const int code = beside.status().code();
    if (code != EACCES && code != EPERM && code != EROFS) return Status::failure(code, path);
    Result<Content> elsewhere = Content::make(tempFolder());
    if (!elsewhere) return Status::failure(elsewhere.status().code(), path);
    return inPlace(target, path, std::move(*elsewhere));
  }
  // A rename would split hard links, or lose what the file is when only the
  // superuser could give it back: its owner, or extended attributes such as
  // an access control list. The owner goes first, as a change of owner
  // clears the set-user-ID bit; the mode last, as an access control list
  // sets the group's bits.
  const int content = beside->descriptor;
  const bool keepsTheFile =
      info.st_nlink == 1 && ::fchown(content, info.st_uid, info.st_gid) == 0 &&
      carriesAttributes(target, content, path) && ::fchmod(content, info.st_mode & 07777) == 0;
  if (!keepsTheFile) return inPlace(target, path, std::move(*beside));
  return FileWriter(Placing::kRename, target, -1, std::move(*beside));
}

Result<FileWriter> FileWriter::inPlace(const std::string& target, const std::string& path,
                                       Content content) {
  // A FIFO that took the place of the file since it was looked at is not
  // waited on.
  FileWriter writer(Placing::kInPlace, target,
                    ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC),
                    std::move(content));
  if (writer.targetDescriptor_ < 0) {
    return errno == ENXIO ? notRegular(path) : Status::fromErrno(path);
  }
  struct stat info;
  if (::fstat(writer.targetDescriptor_, &info) != 0) return Status::fromErrno(path);
  if (!S_ISREG(info.st_mode)) return notRegular(path);
  return writer;
}

Result<FileWriter> FileWriter::openNew(const std::string& folder) {
  const std::string prefix = folder.empty() || folder.back() != '/' ? folder + "/" : folder;
  Result<Content> content = Content::make(prefix);
  if (!content) return content.status();
  return FileWriter(Placing::kNewName, std::string(), -1, std::move(*content));
}

FileWriter::FileWriter(Placing placing, std::string target, int targetDescriptor, Content content)
    : placing_(placing),
      target_(std::move(target)),
      targetDescriptor_(targetDescriptor),
      descriptor_(content.descriptor),
      temporaryName_(std::move(content.temporaryName)),
      contentPath_(std::move(content.path)) {}

FileWriter::FileWriter(FileWriter&& other) noexcept
    : placing_(other.placing_),
      target_(std::move(other.target_)),
      targetDescriptor_(std::exchange(other.targetDescriptor_, -1)),
      descriptor_(std::exchange(other.descriptor_, -1)),
      temporaryName_(std::move(other.temporaryName_)),
      contentPath_(std::move(other.contentPath_)),
      failure_(std::move(other.failure_)),
      finished_(std::exchange(other.finished_, true)) {
  other.temporaryName_.clear();
}

FileWriter::~FileWriter() { abandon(); }

void FileWriter::write(const char* bytes, std::size_t size) {
  if (!failure_.ok() || finished_) return;
  failure_ = writeAll(descriptor_, bytes, size, target_);
  if (!failure_.ok()) abandon();
}

Status FileWriter::commit() {
  if (!failure_.ok()) return failure_;
  if (placing_ == Placing::kNewName || finished_) return Status::failure(EINVAL, target_);
  // A full disk or a failing device may show only when the data is flushed.
  Status status = ::fdatasync(descriptor_) == 0 ? Status() : Status::fromErrno(target_);
  if (status.ok()) status = placing_ == Placing::kInPlace ? putInPlace() : renameIntoPlace();
  abandon();
  return status;
}

Status FileWriter::commitNew(const std::string& path) {
  if (placing_ != Placing::kNewName || finished_) return Status::failure(EINVAL, path);
  if (!failure_.ok()) return failure_;
  if (::fdatasync(descriptor_) != 0) return Status::fromErrno(path);
  // A link, unlike a rename, never takes the place of what stands there.
  const int linked = temporaryName_.empty() ? ::linkat(AT_FDCWD, contentPath_.c_str(), AT_FDCWD,
                                                       path.c_str(), AT_SYMLINK_FOLLOW)
                                            : ::link(temporaryName_.c_str(), path.c_str());
  if (linked != 0) return Status::fromErrno(path);
  abandon();
  syncFolder(folderOf(path));
  return Status();
}

Status FileWriter::renameIntoPlace() {
  if (temporaryName_.empty()) {
    // Where nothing stands the unnamed file takes the target's name itself;
    // anything else is replaced through a name of its own.
    if (::linkat(AT_FDCWD, contentPath_.c_str(), AT_FDCWD, target_.c_str(), AT_SYMLINK_FOLLOW) ==
        0) {
      syncFolder(folderOf(target_));
      return Status();
    }
    if (errno != EEXIST) return Status::fromErrno(target_);
    const std::string name = hiddenNameIn(folderOf(target_));
    const bool linked = UnfinishedFiles::instance().enter(name, [this, &name] {
      return ::linkat(AT_FDCWD, contentPath_.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) ==
             0;
    });
    if (!linked) return Status::fromErrno(target_);
    temporaryName_ = name;
  }
  if (::rename(temporaryName_.c_str(), target_.c_str()) != 0) return Status::fromErrno(target_);
  UnfinishedFiles::instance().forget(std::exchange(temporaryName_, std::string()));
  syncFolder(folderOf(target_));
  return Status();
}

Status FileWriter::putInPlace() {
  struct stat info;
  if (::fstat(descriptor_, &info) != 0) return Status::fromErrno(target_);
  Status status = overwrite(descriptor_, info.st_size, targetDescriptor_, target_);
  // NFS reports some failures only on close.
  if (::close(std::exchange(targetDescriptor_, -1)) != 0 && status.ok()) {
    status = Status::fromErrno(target_);
  }
  return status;
}

void FileWriter::abandon() {
  finished_ = true;
  if (descriptor_ >= 0) ::close(std::exchange(descriptor_, -1));
  if (targetDescriptor_ >= 0) ::close(std::exchange(targetDescriptor_, -1));
  if (!temporaryName_.empty()) {
    UnfinishedFiles::instance().remove(std::exchange(temporaryName_, std::string()));
  }
}

Status writeWholeFile(const std::string& path, std::string_view content) {
  Result<FileWriter> writer = FileWriter::open(path);
  if (!writer) return writer.status();
  writer->write(content.data(), content.size());
  return writer->commit();
}

void ignoreFileSizeSignal() { std::signal(SIGXFSZ, SIG_IGN); }

void removeUnfinishedFiles() { UnfinishedFiles::instance().removeAllForGood(); }

}  // namespace platform
