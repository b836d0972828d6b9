// A file opened for writing and owned: closed when it is destroyed.
//
// A download is written through the descriptor that made its file, so that
// the file the shell created exclusively is the one that receives the
// bytes: nothing that appears at the name between creating and writing, a
// link or another program's file, is ever written.
//
// Failures are returned, never thrown; error() keeps the errno of a file
// that could not be had. One thread at a time.
#pragma once

#include <cerrno>
#include <cstddef>
#include <string>

namespace platform {

class OutputFile {
 public:
  // Creates the empty file `path` (UTF-8) only where nothing of that name
  // stands, not even a dangling link; error() is EEXIST when the name is
  // taken. Stands for CreateFileW with GENERIC_WRITE and CREATE_NEW.
  static OutputFile createNew(const std::string& path);

  // Opens `path` (UTF-8) for writing, creating it or emptying what is
  // there. Stands for CreateFileW with GENERIC_WRITE and CREATE_ALWAYS.
  static OutputFile openTruncated(const std::string& path);

  // No file; error() is EBADF.
  OutputFile() = default;
  OutputFile(OutputFile&& other) noexcept;
  OutputFile& operator=(OutputFile&& other) noexcept;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();

  bool valid() const { return descriptor_ >= 0; }
  // Why the file could not be had; 0 for an open file.
  int error() const { return error_; }

  // Writes every byte at the end of what was written so far; false when the
  // system refuses some (a full disk, a file-size limit). Stands for
  // WriteFile in a loop.
  [[nodiscard]] bool writeAll(const char* bytes, std::size_t count);

  // Closes the file; false when the system reports that written data was
  // lost. Stands for CloseHandle.
  [[nodiscard]] bool close();

 private:
  static OutputFile open(const std::string& path, int flags);

  int descriptor_ = -1;
  int error_ = EBADF;
};

}  // namespace platform
