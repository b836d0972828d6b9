// A file opened for writing and owned: closed when it is destroyed.
//
// A download is written through the descriptor that made its file, so that
// the file the shell created exclusively is the one that receives the
// bytes: nothing that appears at the name between creating and writing, a
// link or another program's file, is ever written.
//
// Opening answers the file or the failure with the errno of open; writing
// and closing answer a Status with the errno of the call that failed. One
// thread at a time.
#pragma once

#include <cstddef>
#include <string>
#include <utility>

#include "platform/error.h"

namespace platform {

class OutputFile {
 public:
  // Creates the empty file `path` (UTF-8) only where nothing of that name
  // stands, not even a dangling link; fails with EEXIST when the name is
  // taken. A new file gets mode 0666 less the umask.
  static Result<OutputFile> createNew(const std::string& path);

  // Opens `path` (UTF-8) for writing, creating it or emptying what is
  // there. A new file gets mode 0666 less the umask.
  static Result<OutputFile> openTruncated(const std::string& path);

  // No file.
  OutputFile() = default;
  OutputFile(OutputFile&& other) noexcept;
  OutputFile& operator=(OutputFile&& other) noexcept;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();

  bool valid() const { return descriptor_ >= 0; }

  // Writes every byte at the end of what was written so far; fails when the
  // system refuses some (a full disk, a file-size limit), in as many
  // writes as the system needs.
  Status writeAll(const char* bytes, std::size_t count);

  // Closes the file; fails when the system reports that written data was
  // lost. Closing no file succeeds.
  Status close();

 private:
  friend class ReservedFile;  // opens its file itself, then hands it over
  OutputFile(int descriptor, std::string path) : descriptor_(descriptor), path_(std::move(path)) {}
  static Result<OutputFile> open(const std::string& path, int flags);

  int descriptor_ = -1;
  std::string path_;  // for failures
};

}  // namespace platform
