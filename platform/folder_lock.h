// FolderLock: one process at a time keeps its data in a folder.
//
// The lock is a file in the folder, held with an advisory lock for as long
// as the FolderLock lives (the system drops it when the process ends, however
// it ends). Two shells started in one folder then never write the same
// files: the second learns that the first holds the folder.
//
//   Result<FolderLock> lock = FolderLock::acquire("storage");
//   if (!lock) log(lock.status().message());   // EWOULDBLOCK: held elsewhere
//
// The lock is an exclusive flock on that file, taken without waiting. Not
// for threads of one process: a lock is the process's own.
#pragma once

#include <string>

#include "platform/error.h"

namespace platform {

class FolderLock {
 public:
  // Makes `folder` if it is missing (not its parents) and takes its lock,
  // without waiting. Fails with EWOULDBLOCK while another process holds it,
  // ENOTDIR when `folder` is a file, and as the system says otherwise (a
  // dangling link, a folder that may not be written).
  static Result<FolderLock> acquire(const std::string& folder);

  FolderLock(FolderLock&& other) noexcept;
  FolderLock& operator=(FolderLock&& other) noexcept;
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  ~FolderLock();

 private:
  explicit FolderLock(int descriptor) : descriptor_(descriptor) {}

  int descriptor_ = -1;
};

}  // namespace platform
