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
#include "platform/path_place.h"

namespace platform {
namespace {

const char kNotRegular[] = "not a regular file";

Status notRegular(const std::string& path) { return Status::failure(EINVAL, path, kNotRegular); }

// The named temporary files that exist now, each a name in an open folder,
// so that a process ending without waiting for its writers can remove them.
// A writer keeps the folder open while its name is here. Each name is made
// and entered under one lock, so removal never misses one being made.
class UnfinishedFiles {
 public:
  static UnfinishedFiles& instance() {
    static UnfinishedFiles* files = new UnfinishedFiles;  // outlives every writer
    return *files;
  }

  // Runs `make`, which makes the file `name` in `folder` and answers whether
  // it did.
  template <class Make>
  bool enter(int folder, const std::string& name, Make make) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!make()) return false;
    names_.emplace(folder, name);
    return true;
  }

  void remove(int folder, const std::string& name) {
    std::lock_guard<std::mutex> lock(mutex_);
    ::unlinkat(folder, name.c_str(), 0);
    names_.erase({folder, name});
  }

  // For a name that has been renamed away.
  void forget(int folder, const std::string& name) {
    std::lock_guard<std::mutex> lock(mutex_);
    names_.erase({folder, name});
  }

  // The lock is kept: the process is about to end.
  void removeAllForGood() {
    mutex_.lock();
    for (const auto& [folder, name] : names_) ::unlinkat(folder, name.c_str(), 0);
    names_.clear();
  }

 private:
  std::mutex mutex_;
  std::set<std::pair<int, std::string>> names_;
};

// A hidden name for a file of our own in a folder; short, so that a folder
// that holds the target's name holds it too.
std::string hiddenName() {
  thread_local std::mt19937_64 random{std::random_device{}()};
  char suffix[17];
  std::snprintf(suffix, sizeof suffix, "%016llx", static_cast<unsigned long long>(random()));
  return std::string(".pageshell-") + suffix + ".part";
}

// Makes a rename or link in `folder` durable. Failing that, it still stands.
void syncFolder(int folder) {
  const Descriptor readable(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (readable.valid()) ::fsync(readable.get());
}

// Where a path leads: a name in an open folder.
struct Place {
  Descriptor folder;
  std::string name;
  std::string path;  // the same as a path, for messages alone
};

// The place of the file `path` names with symbolic links followed (the file
// need not exist yet). Each link is followed from the folder it stands in,
// so that no path longer than `path` or a link's own text is ever made.
// Gives up after 40 links, as the system does.
Result<Place> locate(const std::string& path) {
  Place place;
  place.path = path;
  Descriptor linkFolder;  // where the last link stood
  std::string rest = path;
  for (int hops = 0; hops <= 40; ++hops) {
    // A relative link goes on from its own folder; an absolute one ignores it.
    Result<PathPlace> found = placeOf(rest, linkFolder.valid() ? linkFolder.get() : AT_FDCWD);
    if (!found) return Status::failure(found.status().code(), path);
    place.folder = std::move(found->folder);
    place.name = std::move(found->name);
    struct stat info;
    if (::fstatat(place.folder.get(), place.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISLNK(info.st_mode)) {
      return place;
    }
    std::string target(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 255) + 1, '\0');
    const ssize_t length =
        ::readlinkat(place.folder.get(), place.name.c_str(), &target[0], target.size());
    if (length < 0) return Status::fromErrno(path);
    target.resize(static_cast<std::size_t>(length));
    place.path = target.empty() || target[0] != '/' ? folderPart(place.path) + target : target;
    linkFolder = std::move(place.folder);
    rest = target;
  }
  return Status::failure(ELOOP, path);
}

// The superuser may write any file; one without any write permission is
// still refused, as the system refuses it execution of a file without any
// execute permission.
bool refusesWriting(const struct stat& info) {
  return ::geteuid() == 0 && (info.st_mode & 0222) == 0;
}

// Gives the new file `to` the extended attributes of the file `name` in
// `folder`. A file that cannot be read cannot give them.
bool carriesAttributes(int folder, const std::string& name, int to, const std::string& path) {
  const Descriptor from(
      ::openat(folder, name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  return from.valid() && copyAttributes(from.get(), to, path).ok();
}

}  // namespace

// The content's own file: unnamed (O_TMPFILE) where the file system allows
// it, else under a hidden name entered in UnfinishedFiles.
struct FileWriter::Content {
  Descriptor folder;  // the folder it is in
  Descriptor file;
  std::string temporaryName;  // its name in `folder`, when it has one
  std::string path;           // contentPath()

  // A new content file in the open `folder`, which `folderPath` (ending in
  // '/') names.
  static Result<Content> make(int folder, const std::string& folderPath) {
    Content content;
    content.folder.reset(::fcntl(folder, F_DUPFD_CLOEXEC, 0));
    const int in = content.folder.get();
    if (in < 0) return Status::fromErrno(folderPath);
    content.file.reset(::openat(in, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0666));
    if (content.file.valid()) {
      content.path = "/proc/self/fd/" + std::to_string(content.file.get());
      // Without /proc the file could never be given a name.
      if (::access(content.path.c_str(), F_OK) == 0) return content;
      content.file.reset();
    } else if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
      return Status::fromErrno(folderPath);
    }
    // A name already taken is tried again with another; anything else is final.
    for (int attempt = 0; attempt < 16; ++attempt) {
      content.temporaryName = hiddenName();
      const bool made = UnfinishedFiles::instance().enter(in, content.temporaryName, [&] {
        content.file.reset(::openat(in, content.temporaryName.c_str(),
                                    O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        return content.file.valid();
      });
      if (made) {
        content.path = folderPath + content.temporaryName;
        return content;
      }
      if (errno != EEXIST) break;
    }
    return Status::fromErrno(folderPath);
  }

  // The same in the folder `folderPath` (ending in '/') names: the place of
  // such a path is in the folder itself.
  static Result<Content> makeIn(const std::string& folderPath) {
    const Result<PathPlace> folder = placeOf(folderPath);
    if (!folder) return folder.status();
    return make(folder->folder.get(), folderPath);
  }
};

Result<FileWriter> FileWriter::open(const std::string& path) {
  if (path.empty()) return Status::failure(ENOENT, path);
  Result<Place> place = locate(path);
  if (!place) return place.status();
  const int folder = place->folder.get();
  const std::string& name = place->name;

  struct stat info;
  if (::fstatat(folder, name.c_str(), &info, 0) != 0) {
    if (errno != ENOENT) return Status::fromErrno(path);
    Result<Content> content = Content::make(folder, folderPart(place->path));
    if (!content) return Status::failure(content.status().code(), path);
    return FileWriter(Placing::kRename, place->path, name, Descriptor(), std::move(*content));
  }
  if (!S_ISREG(info.st_mode)) return notRegular(path);
  if (::faccessat(folder, name.c_str(), W_OK, AT_EACCESS) != 0) return Status::fromErrno(path);
  if (refusesWriting(info)) return Status::failure(EACCES, path);

  Result<Content> beside = Content::make(folder, folderPart(place->path));
  if (!beside) {
    // A folder that takes no new file: the file itself may still be written.
    const int code = beside.status().code();
    if (code != EACCES && code != EPERM && code != EROFS) return Status::failure(code, path);
    Result<Content> elsewhere = Content::makeIn(tempFolder());
    if (!elsewhere) return Status::failure(elsewhere.status().code(), path);
    return inPlace(folder, name, place->path, path, std::move(*elsewhere));
  }
  // A rename would split hard links, or lose what the file is when only the
  // superuser could give it back: its owner, or extended attributes such as
  // an access control list. The owner goes first, as a change of owner
  // clears the set-user-ID bit; the mode last, as an access control list
  // sets the group's bits.
  const int content = beside->file.get();
  const bool keepsTheFile = info.st_nlink == 1 &&
                            ::fchown(content, info.st_uid, info.st_gid) == 0 &&
                            carriesAttributes(folder, name, content, path) &&
                            ::fchmod(content, info.st_mode & 07777) == 0;
  if (!keepsTheFile) return inPlace(folder, name, place->path, path, std::move(*beside));
  return FileWriter(Placing::kRename, place->path, name, Descriptor(), std::move(*beside));
}

Result<FileWriter> FileWriter::inPlace(int folder, const std::string& name, std::string target,
                                       const std::string& path, Content content) {
  // A FIFO that took the place of the file since it was looked at is not
  // waited on.
  Descriptor opened(::openat(folder, name.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  const int openError = errno;
  FileWriter writer(Placing::kInPlace, std::move(target), std::string(), std::move(opened),
                    std::move(content));
  if (!writer.targetDescriptor_.valid()) {
    return openError == ENXIO ? notRegular(path) : Status::failure(openError, path);
  }
  struct stat info;
  if (::fstat(writer.targetDescriptor_.get(), &info) != 0) return Status::fromErrno(path);
  if (!S_ISREG(info.st_mode)) return notRegular(path);
  return writer;
}

Result<FileWriter> FileWriter::openNew(const std::string& folder) {
  const std::string prefix = folder.empty() || folder.back() != '/' ? folder + "/" : folder;
  Result<Content> content = Content::makeIn(prefix);
  if (!content) return content.status();
  return FileWriter(Placing::kNewName, std::string(), std::string(), Descriptor(),
                    std::move(*content));
}

FileWriter::FileWriter(Placing placing, std::string target, std::string targetName,
                       Descriptor targetDescriptor, Content content)
    : placing_(placing),
      target_(std::move(target)),
      targetName_(std::move(targetName)),
      folder_(std::move(content.folder)),
      targetDescriptor_(std::move(targetDescriptor)),
      descriptor_(std::move(content.file)),
      temporaryName_(std::move(content.temporaryName)),
      contentPath_(std::move(content.path)) {}

FileWriter::FileWriter(FileWriter&& other) noexcept
    : placing_(other.placing_),
      target_(std::move(other.target_)),
      targetName_(std::move(other.targetName_)),
      folder_(std::move(other.folder_)),
      targetDescriptor_(std::move(other.targetDescriptor_)),
      descriptor_(std::move(other.descriptor_)),
      temporaryName_(std::exchange(other.temporaryName_, std::string())),
      contentPath_(std::move(other.contentPath_)),
      failure_(std::move(other.failure_)),
      finished_(std::exchange(other.finished_, true)) {}

FileWriter::~FileWriter() { abandon(); }

void FileWriter::write(const char* bytes, std::size_t size) {
  if (!failure_.ok() || finished_) return;
  failure_ = writeAll(descriptor_.get(), bytes, size, target_);
  if (!failure_.ok()) abandon();
}

Status FileWriter::commit() {
  if (!failure_.ok()) return failure_;
  if (placing_ == Placing::kNewName || finished_) return Status::failure(EINVAL, target_);
  // A full disk or a failing device may show only when the data is flushed.
  Status status = ::fdatasync(descriptor_.get()) == 0 ? Status() : Status::fromErrno(target_);
  if (status.ok()) status = placing_ == Placing::kInPlace ? putInPlace() : renameIntoPlace();
  abandon();
  return status;
}

Status FileWriter::commitNew(const std::string& path) {
  if (placing_ != Placing::kNewName || finished_) return Status::failure(EINVAL, path);
  if (!failure_.ok()) return failure_;
  if (::fdatasync(descriptor_.get()) != 0) return Status::fromErrno(path);
  const Result<PathPlace> place = placeOf(path);
  if (!place) return place.status();
  const int to = place->folder.get();
  const char* name = place->name.c_str();
  // A link, unlike a rename, never takes the place of what stands there.
  const int linked = temporaryName_.empty()
                         ? ::linkat(AT_FDCWD, contentPath_.c_str(), to, name, AT_SYMLINK_FOLLOW)
                         : ::linkat(folder_.get(), temporaryName_.c_str(), to, name, 0);
  if (linked != 0) return Status::fromErrno(path);
  dropTemporaryName();
  syncFolder(folder_.get());
  abandon();
  return Status();
}

Status FileWriter::renameIntoPlace() {
  const int folder = folder_.get();
  if (temporaryName_.empty()) {
    // Where nothing stands the unnamed file takes the target's name itself;
    // anything else is replaced through a name of its own.
    if (::linkat(AT_FDCWD, contentPath_.c_str(), folder, targetName_.c_str(), AT_SYMLINK_FOLLOW) ==
        0) {
      syncFolder(folder);
      return Status();
    }
    if (errno != EEXIST) return Status::fromErrno(target_);
    const std::string name = hiddenName();
    const bool linked = UnfinishedFiles::instance().enter(folder, name, [&] {
      return ::linkat(AT_FDCWD, contentPath_.c_str(), folder, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
    });
    if (!linked) return Status::fromErrno(target_);
    temporaryName_ = name;
  }
  if (::renameat(folder, temporaryName_.c_str(), folder, targetName_.c_str()) != 0) {
    return Status::fromErrno(target_);
  }
  UnfinishedFiles::instance().forget(folder, std::exchange(temporaryName_, std::string()));
  syncFolder(folder);
  return Status();
}

Status FileWriter::putInPlace() {
  struct stat info;
  if (::fstat(descriptor_.get(), &info) != 0) return Status::fromErrno(target_);
  const Status status =
      overwrite(descriptor_.get(), info.st_size, targetDescriptor_.get(), target_);
  const Status closed = targetDescriptor_.close(target_);
  return status.ok() ? closed : status;
}

void FileWriter::dropTemporaryName() {
  if (temporaryName_.empty()) return;
  UnfinishedFiles::instance().remove(folder_.get(), std::exchange(temporaryName_, std::string()));
}

void FileWriter::abandon() {
  finished_ = true;
  descriptor_.reset();
  targetDescriptor_.reset();
  dropTemporaryName();
  folder_.reset();
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
