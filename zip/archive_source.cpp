#include "zip/archive_source.h"

#include <zip.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace {

// Where an archive's bytes come from.
class ArchiveBytes {
 public:
  virtual ~ArchiveBytes() = default;
  virtual std::uint64_t size() const = 0;
  // Up to `size` bytes at `offset`: fewer only at the end, 0 past it.
  virtual std::size_t readAt(std::uint64_t offset, char* buffer, std::size_t size) = 0;
};

class MemoryBytes : public ArchiveBytes {
 public:
  explicit MemoryBytes(std::string_view bytes) : bytes_(bytes) {}
  std::uint64_t size() const override { return bytes_.size(); }
  std::size_t readAt(std::uint64_t offset, char* buffer, std::size_t size) override {
    if (offset >= bytes_.size()) return 0;
    const std::size_t count = std::min<std::uint64_t>(size, bytes_.size() - offset);
    std::memcpy(buffer, bytes_.data() + offset, count);
    return count;
  }

 private:
  std::string_view bytes_;
};

// libzip reads a large directory an entry at a time, each in a few small
// reads, so small reads are served from a window of the bytes around them
// and only a read outside it goes to the file.
class FileBytes : public ArchiveBytes {
 public:
  explicit FileBytes(platform::ReadOnlyFile file) : file_(std::move(file)) {}
  std::uint64_t size() const override { return file_.size(); }
  std::size_t readAt(std::uint64_t offset, char* buffer, std::size_t size) override {
    if (size >= window_.size()) return file_.readAt(offset, buffer, size);
    if (offset < windowStart_ || offset - windowStart_ >= windowSize_) {
      windowStart_ = offset;
      windowSize_ = file_.readAt(offset, window_.data(), window_.size());
    }
    const auto at = static_cast<std::size_t>(offset - windowStart_);
    const std::size_t count = std::min(size, windowSize_ - at);
    std::memcpy(buffer, window_.data() + at, count);
    return count;
  }

 private:
  platform::ReadOnlyFile file_;
  std::vector<char> window_ = std::vector<char>(64 * 1024);
  std::uint64_t windowStart_ = 0;
  std::size_t windowSize_ = 0;
};

// The bytes from `start` on as a libzip source: read from a position that
// moves as stdio's would. libzip owns it once it is a source and frees it
// with the source.
class Source {
 public:
  Source(std::shared_ptr<ArchiveBytes> bytes, std::uint64_t start)
      : bytes_(std::move(bytes)), start_(start) {
    zip_error_init(&error_);
  }
  ~Source() { zip_error_fini(&error_); }
  Source(const Source&) = delete;
  Source& operator=(const Source&) = delete;

  static zip_int64_t call(void* self, void* data, zip_uint64_t length, zip_source_cmd_t command) {
    return static_cast<Source*>(self)->handle(data, length, command);
  }

 private:
  zip_uint64_t size() const { return bytes_->size() - start_; }

  zip_int64_t handle(void* data, zip_uint64_t length, zip_source_cmd_t command) {
    switch (command) {
      case ZIP_SOURCE_OPEN: position_ = 0; return 0;
      case ZIP_SOURCE_READ: {
        const std::size_t got =
            bytes_->readAt(start_ + position_, static_cast<char*>(data), length);
        position_ += got;
        return static_cast<zip_int64_t>(got);
      }
      case ZIP_SOURCE_CLOSE: return 0;
      case ZIP_SOURCE_STAT: {
        auto* stat = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &error_);
        if (stat == nullptr) return -1;
        zip_stat_init(stat);
        stat->size = size();
        stat->valid |= ZIP_STAT_SIZE;
        return sizeof(zip_stat_t);
      }
      case ZIP_SOURCE_ERROR: return zip_error_to_data(&error_, data, length);
      case ZIP_SOURCE_FREE: delete this; return 0;
      case ZIP_SOURCE_SEEK: {
        const zip_int64_t target =
            zip_source_seek_compute_offset(position_, size(), data, length, &error_);
        if (target < 0) return -1;
        position_ = static_cast<zip_uint64_t>(target);
        return 0;
      }
      case ZIP_SOURCE_TELL: return static_cast<zip_int64_t>(position_);
      case ZIP_SOURCE_SUPPORTS: return ZIP_SOURCE_SUPPORTS_SEEKABLE;
      default: zip_error_set(&error_, ZIP_ER_OPNOTSUPP, 0); return -1;
    }
  }

  std::shared_ptr<ArchiveBytes> bytes_;
  std::uint64_t start_;
  zip_uint64_t position_ = 0;
  zip_error_t error_;
};

ArchiveHandle openAt(const std::shared_ptr<ArchiveBytes>& bytes, std::uint64_t start) {
  auto state = std::make_unique<Source>(bytes, start);
  zip_source_t* source = zip_source_function_create(Source::call, state.get(), nullptr);
  if (source == nullptr) return nullptr;
  state.release();  // the source frees it
  zip_t* archive = zip_open_from_source(source, ZIP_RDONLY, nullptr);
  if (archive == nullptr) zip_source_free(source);
  return ArchiveHandle(archive);
}

std::uint32_t littleEndian32(const unsigned char* bytes) {
  return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

// The length of a stub in front of the archive, from the last end record;
// 0 when there is none to be seen.
std::uint64_t stubLength(ArchiveBytes& bytes) {
  constexpr std::size_t kEndRecordBytes = 22;
  constexpr std::size_t kLongestComment = 0xFFFF;
  const std::size_t tailSize =
      std::min<std::uint64_t>(bytes.size(), kEndRecordBytes + kLongestComment);
  if (tailSize < kEndRecordBytes) return 0;
  const std::uint64_t tailStart = bytes.size() - tailSize;
  std::vector<unsigned char> tail(tailSize);
  if (bytes.readAt(tailStart, reinterpret_cast<char*>(tail.data()), tailSize) != tailSize) return 0;
  for (std::size_t at = tailSize - kEndRecordBytes + 1; at-- > 0;) {
    if (std::memcmp(&tail[at], "PK\5\6", 4) != 0) continue;
    const std::uint32_t directorySize = littleEndian32(&tail[at + 12]);
    const std::uint32_t directoryOffset = littleEndian32(&tail[at + 16]);
    if (directorySize == 0xFFFFFFFF || directoryOffset == 0xFFFFFFFF) return 0;
    const std::uint64_t directoryEnd = std::uint64_t{directoryOffset} + directorySize;
    const std::uint64_t recordAt = tailStart + at;
    return recordAt > directoryEnd ? recordAt - directoryEnd : 0;
  }
  return 0;
}

ArchiveHandle open(const std::shared_ptr<ArchiveBytes>& bytes) {
  if (ArchiveHandle archive = openAt(bytes, 0)) return archive;
  const std::uint64_t stub = stubLength(*bytes);
  return stub == 0 ? nullptr : openAt(bytes, stub);
}

}  // namespace

void ArchiveDiscard::operator()(zip* archive) const { zip_discard(archive); }

ArchiveHandle openArchive(platform::ReadOnlyFile file) {
  return open(std::make_shared<FileBytes>(std::move(file)));
}

ArchiveHandle openArchive(std::string_view bytes) {
  return open(std::make_shared<MemoryBytes>(bytes));
}
