// Where an archive's bytes come from: a regular file or memory, read at any
// offset. The reader's parts (central_directory.h, member_reader.h) read
// through this and nothing else.
//
// One ArchiveBytes is used by one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/read_only_file.h"

class ArchiveBytes {
 public:
  virtual ~ArchiveBytes() = default;
  virtual std::uint64_t size() const = 0;
  // Up to `size` bytes at `offset`: fewer only at the end (or on a read
  // error), 0 past it.
  virtual std::size_t readAt(std::uint64_t offset, char* buffer, std::size_t size) = 0;

  // True when all `size` bytes at `offset` were there.
  bool readAll(std::uint64_t offset, char* buffer, std::size_t size) {
    return readAt(offset, buffer, size) == size;
  }
};

// Bytes that must outlive it.
class MemoryBytes : public ArchiveBytes {
 public:
  explicit MemoryBytes(std::string_view bytes) : bytes_(bytes) {}
  std::uint64_t size() const override { return bytes_.size(); }
  std::size_t readAt(std::uint64_t offset, char* buffer, std::size_t size) override;

 private:
  std::string_view bytes_;
};

// A large directory is read an entry at a time, each in a few small reads,
// so small reads are served from a window of the bytes around them and only
// a read outside it goes to the file.
class FileBytes : public ArchiveBytes {
 public:
  explicit FileBytes(platform::ReadOnlyFile file) : file_(std::move(file)) {}
  std::uint64_t size() const override { return file_.size(); }
  std::size_t readAt(std::uint64_t offset, char* buffer, std::size_t size) override;

 private:
  platform::ReadOnlyFile file_;
  std::vector<char> window_ = std::vector<char>(64 * 1024);
  std::uint64_t windowStart_ = 0;
  std::size_t windowSize_ = 0;
};
