// A file that takes the place of another only once it is complete.
//
// The bytes go into a new temporary file beside the target (the same
// directory, so that the final rename never crosses file systems), created
// exclusively, so that no other file is ever written through. commit()
// flushes the bytes to the disk, closes the file and renames it over the
// target in one step: readers see either the old target or the whole new
// file. Until then the target is untouched, and a ReplacementFile that ends
// without a successful commit removes its temporary file.
//
// Stands for CreateFileW with CREATE_NEW beside the target, WriteFile,
// FlushFileBuffers, CloseHandle, MoveFileExW with MOVEFILE_REPLACE_EXISTING
// and DeleteFileW. One thread at a time; different files on different
// threads are independent.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace platform {

class ReplacementFile {
 public:
  // A temporary file for `target` (UTF-8), or nothing when none can be made
  // in the target's directory (it is missing or not writable).
  static std::optional<ReplacementFile> create(const std::string& target);

  ReplacementFile(ReplacementFile&& other) noexcept;
  ReplacementFile& operator=(ReplacementFile&&) = delete;
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;
  // Removes the temporary file unless it was committed.
  ~ReplacementFile();

  // Appends `size` bytes. False when they could not all be written (a full
  // disk, a file size limit); the file is then useless and commit() fails.
  bool write(const char* bytes, std::size_t size);

  // Flushes, closes and renames the file over the target. False when any
  // step failed or a write had failed before; the temporary file is removed
  // then and the target is as it was. Call it once.
  bool commit();

  const std::string& temporaryPath() const { return temporary_; }

 private:
  ReplacementFile(std::string target, std::string temporary, int descriptor);
  void discard();

  std::string target_;
  std::string temporary_;
  int descriptor_ = -1;  // -1 once closed
  bool failed_ = false;
  bool finished_ = false;  // committed or discarded: nothing left to remove
};

}  // namespace platform
