// A new file whose name is taken now and whose bytes come later, with no
// descriptor held in between: a download that waits for a worker keeps its
// answered path without using up the process's descriptors.
//
// The file is created exclusively, as OutputFile::createNew does, and
// closed at once; what it is (device and inode) is remembered, so that it
// is written, and removed, only while the name still holds that very file:
// a link, a FIFO or a file renamed into its place is never touched. (Only a
// file made after ours was removed could be given our inode again.)
//
// Unless kept, the file is removed when its reservation ends: a reservation
// whose work is never done, or done without a byte to write, leaves nothing
// behind. Move-only; one thread at a time.
#pragma once

#include <cstdint>
#include <string>

#include "platform/error.h"
#include "platform/output_file.h"

namespace platform {

class ReservedFile {
 public:
  // Creates the empty file `path` (UTF-8) only where nothing of that name
  // stands, not even a dangling link; fails with EEXIST when the name is
  // taken, else with the errno of open. Holds no descriptor on return.
  static Result<ReservedFile> create(const std::string& path);

  // No file.
  ReservedFile() = default;
  ReservedFile(ReservedFile&& other) noexcept;
  ReservedFile& operator=(ReservedFile&& other) noexcept;
  ReservedFile(const ReservedFile&) = delete;
  ReservedFile& operator=(const ReservedFile&) = delete;
  ~ReservedFile();

  bool valid() const { return !path_.empty(); }
  const std::string& path() const { return path_; }

  // Opens the file for writing, emptied. Fails when the name no longer
  // holds it: ENOENT when it is gone, ELOOP for a link (never followed),
  // EEXIST for another file; a FIFO put there is never waited on.
  Result<OutputFile> open() const;

  // The file stays when the reservation ends.
  void keep() { kept_ = true; }

  // Removes the file now, unless kept, when the name still holds it; the
  // reservation then holds no file. Removing no file does nothing.
  void remove();

 private:
  std::string path_;
  std::uint64_t device_ = 0;
  std::uint64_t inode_ = 0;
  bool kept_ = false;
};

}  // namespace platform
