#include "platform/file_tree.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/descriptor.h"
#include "platform/directory_listing.h"
#include "platform/file_copy.h"
#include "platform/file_writer.h"

namespace platform {
namespace {

std::string withoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string parentFolder(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string realPath(const std::string& path) {
  std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr),
                                                       &std::free);
  return resolved ? std::string(resolved.get()) : std::string();
}

// True when the new name `to` lies inside the folder `from`.
bool insideItself(const std::string& from, const std::string& to) {
  const std::string folder = realPath(from);
  const std::string parent = realPath(parentFolder(to));
  if (folder.empty() || parent.empty()) return false;
  return parent == folder || parent.compare(0, folder.size() + 1, folder + "/") == 0;
}

Status copyFile(const std::string& from, const std::string& to, mode_t mode) {
  const Descriptor source(::open(from.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
  if (!source.valid()) return Status::fromErrno(from);
  Result<FileWriter> writer = FileWriter::openNew(parentFolder(to));
  if (!writer) return writer.status();
  {
    const Descriptor content(::open(writer->contentPath().c_str(), O_WRONLY | O_CLOEXEC));
    if (!content.valid()) return Status::fromErrno(to);
    const Status copied = copyFileContent(source.get(), content.get(), to);
    if (!copied.ok()) return copied;
    if (::fchmod(content.get(), mode & 07777) != 0) return Status::fromErrno(to);
  }
  return writer->commitNew(to);
}

Status copyLink(const std::string& from, const std::string& to) {
  std::vector<char> target(PATH_MAX + 1);
  const ssize_t length = ::readlink(from.c_str(), target.data(), target.size());
  if (length < 0) return Status::fromErrno(from);
  if (static_cast<std::size_t>(length) == target.size()) {
    return Status::failure(ENAMETOOLONG, from);
  }
  const std::string text(target.data(), static_cast<std::size_t>(length));
  return ::symlink(text.c_str(), to.c_str()) == 0 ? Status() : Status::fromErrno(to);
}

Status copyEntry(const std::string& from, const std::string& to, bool* made);

Status copyFolder(const std::string& from, const std::string& to, mode_t mode, bool* made) {
  // Owner-writable while it fills, its own bits once it is whole.
  if (::mkdir(to.c_str(), 0700) != 0) return Status::fromErrno(to);
  *made = true;
  Result<std::vector<DirectoryEntry>> entries = listDirectory(from);
  if (!entries) return entries.status();
  for (const DirectoryEntry& entry : *entries) {
    bool madeEntry = false;
    const Status copied = copyEntry(from + "/" + entry.name, to + "/" + entry.name, &madeEntry);
    if (!copied.ok()) return copied;
  }
  return ::chmod(to.c_str(), mode & 07777) == 0 ? Status() : Status::fromErrno(to);
}

// `made` tells whether `to` was made, so that a failed copy can take it away.
Status copyEntry(const std::string& from, const std::string& to, bool* made) {
  struct stat status {};
  if (::lstat(from.c_str(), &status) != 0) return Status::fromErrno(from);
  if (S_ISDIR(status.st_mode)) return copyFolder(from, to, status.st_mode, made);
  Status copied;
  if (S_ISLNK(status.st_mode)) {
    copied = copyLink(from, to);
  } else if (S_ISREG(status.st_mode)) {
    copied = copyFile(from, to, status.st_mode);
  } else {
    return Status::failure(ENOTSUP, from, "not a file, folder or link");
  }
  *made = copied.ok();
  return copied;
}

Status removeContent(int folder, const std::string& path) {
  // The names are read first, so that removing does not disturb the reading.
  Result<std::vector<DirectoryEntry>> entries =
      listDirectory("/proc/self/fd/" + std::to_string(folder));
  if (!entries) return Status::failure(entries.status().code(), path);
  for (const DirectoryEntry& entry : *entries) {
    const std::string name = entry.name;
    const std::string inner = path + "/" + name;
    if (entry.info.kind == PathKind::kFolder) {
      const Descriptor child(
          ::openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
      if (!child.valid()) return Status::fromErrno(inner);
      const Status emptied = removeContent(child.get(), inner);
      if (!emptied.ok()) return emptied;
    }
    const int flags = entry.info.kind == PathKind::kFolder ? AT_REMOVEDIR : 0;
    if (::unlinkat(folder, name.c_str(), flags) != 0) return Status::fromErrno(inner);
  }
  return Status();
}

}  // namespace

Status copyTree(const std::string& fromPath, const std::string& toPath) {
  const std::string from = withoutTrailingSlashes(fromPath);
  const std::string to = withoutTrailingSlashes(toPath);
  struct stat status {};
  if (::lstat(to.c_str(), &status) == 0) return Status::failure(EEXIST, to);
  if (insideItself(from, to)) {
    return Status::failure(EINVAL, to, "the target lies inside the folder copied");
  }
  bool made = false;
  const Status copied = copyEntry(from, to, &made);
  if (!copied.ok() && made) (void)removeTree(to, true);
  return copied;
}

Status moveTree(const std::string& fromPath, const std::string& toPath) {
  const std::string from = withoutTrailingSlashes(fromPath);
  const std::string to = withoutTrailingSlashes(toPath);
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
    return Status();
  }
  if (errno == EINVAL || errno == ENOSYS) {
    // A file system that cannot promise not to replace: look first.
    struct stat status {};
    if (::lstat(to.c_str(), &status) == 0) return Status::failure(EEXIST, to);
    if (::rename(from.c_str(), to.c_str()) == 0) return Status();
  }
  if (errno != EXDEV) return Status::fromErrno(from);
  const Status copied = copyTree(from, to);
  if (!copied.ok()) return copied;
  return removeTree(from, true);
}

Status removeTree(const std::string& pathGiven, bool deep) {
  const std::string path = withoutTrailingSlashes(pathGiven);
  struct stat status {};
  if (::lstat(path.c_str(), &status) != 0) return Status::fromErrno(path);
  if (!S_ISDIR(status.st_mode)) {
    return ::unlink(path.c_str()) == 0 ? Status() : Status::fromErrno(path);
  }
  if (deep) {
    const Descriptor folder(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder.valid()) return Status::fromErrno(path);
    const Status emptied = removeContent(folder.get(), path);
    if (!emptied.ok()) return emptied;
  }
  return ::rmdir(path.c_str()) == 0 ? Status() : Status::fromErrno(path);
}

}  // namespace platform
