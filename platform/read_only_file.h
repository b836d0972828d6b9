// Reading regular files: at any offset, or whole.
//
// Only regular files open: a folder, device, socket or pipe is refused
// without waiting for a writer, so that reading ends and never hangs. The
// file is read as it is on the disk at each read; nothing is cached here.
//
// Others may write, rename or remove the file while it is open. Reads at
// different offsets may come from different threads at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/error.h"

namespace platform {

class ReadOnlyFile {
 public:
  // The regular file at `path` (UTF-8), found as path_place.h finds it.
  // Anything else fails with the reason "not a regular file".
  static Result<ReadOnlyFile> open(const std::string& path);

  ReadOnlyFile(ReadOnlyFile&& other) noexcept;
  ReadOnlyFile& operator=(ReadOnlyFile&&) = delete;
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
  ~ReadOnlyFile();

  // The size when the file was opened.
  std::uint64_t size() const { return size_; }

  // Reads up to `size` bytes at `offset` into `buffer`: the count read, less
  // than asked only at the end of the file or on a read error.
  std::size_t readAt(std::uint64_t offset, char* buffer, std::size_t size) const;

  // Every byte from the start to the end, however large the file said it was
  // (files under /proc say 0). A file longer than `maxBytes` fails with the
  // reason "file too large".
  Result<std::string> readAll(std::size_t maxBytes) const;

  // The same bytes handed to `take` in order, through one buffer of
  // `pieceBytes`: every piece but the last holds exactly `pieceBytes`, and
  // an empty file gives none. For a caller that turns the bytes into
  // something else, so that they pass through the processor's cache instead
  // of a copy of the whole file. Fails as readAll does, at once when the
  // file was already too long when opened.
  Status readInPieces(std::size_t maxBytes, std::size_t pieceBytes,
                      const std::function<void(std::string_view)>& take) const;

 private:
  ReadOnlyFile(int descriptor, std::uint64_t size, std::string path);

  int descriptor_;
  std::uint64_t size_;
  std::string path_;
};

// The whole regular file at `path`, as ReadOnlyFile::readAll reads it.
Result<std::string> loadWholeFile(const std::string& path, std::size_t maxBytes);

}  // namespace platform
