#include "zip/zip_archive.h"

#include <zip.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/read_only_file.h"
#include "zip/member_name.h"

namespace {

struct Discard {
  void operator()(zip_t* archive) const { zip_discard(archive); }
};
using Handle = std::unique_ptr<zip_t, Discard>;

struct Close {
  void operator()(zip_file_t* member) const { zip_fclose(member); }
};
using OpenMember = std::unique_ptr<zip_file_t, Close>;

// A regular file as libzip reads it: from a position that moves as stdio's
// would, with nothing to read past the end. libzip owns it once it is a
// source and frees it with the source.
//
// libzip reads a large directory an entry at a time, each in a few small
// reads, so small reads are served from a window of the bytes around them
// and only a read outside it goes to the file.
class FileSource {
 public:
  explicit FileSource(platform::ReadOnlyFile file) : file_(std::move(file)) {
    zip_error_init(&error_);
  }
  ~FileSource() { zip_error_fini(&error_); }

  static zip_int64_t call(void* self, void* data, zip_uint64_t length, zip_source_cmd_t command) {
    return static_cast<FileSource*>(self)->handle(data, length, command);
  }

 private:
  zip_int64_t handle(void* data, zip_uint64_t length, zip_source_cmd_t command) {
    switch (command) {
      case ZIP_SOURCE_OPEN:
        position_ = 0;
        return 0;
      case ZIP_SOURCE_READ:
        return static_cast<zip_int64_t>(read(static_cast<char*>(data), length));
      case ZIP_SOURCE_CLOSE:
        return 0;
      case ZIP_SOURCE_STAT: {
        auto* stat = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &error_);
        if (stat == nullptr) return -1;
        zip_stat_init(stat);
        stat->size = file_.size();
        stat->valid |= ZIP_STAT_SIZE;
        return sizeof(zip_stat_t);
      }
      case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&error_, data, length);
      case ZIP_SOURCE_FREE:
        delete this;
        return 0;
      case ZIP_SOURCE_SEEK: {
        const zip_int64_t target =
            zip_source_seek_compute_offset(position_, file_.size(), data, length, &error_);
        if (target < 0) return -1;
        position_ = static_cast<zip_uint64_t>(target);
        return 0;
      }
      case ZIP_SOURCE_TELL:
        return static_cast<zip_int64_t>(position_);
      case ZIP_SOURCE_SUPPORTS:
        return ZIP_SOURCE_SUPPORTS_SEEKABLE;
      default:
        zip_error_set(&error_, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
  }

  // Up to `length` bytes from the position on; fewer at the window's end,
  // 0 only at the file's end.
  std::size_t read(char* data, std::size_t length) {
    if (length >= window_.size()) {
      const std::size_t got = file_.readAt(position_, data, length);
      position_ += got;
      return got;
    }
    if (position_ < windowStart_ || position_ - windowStart_ >= windowSize_) {
      windowStart_ = position_;
      windowSize_ = file_.readAt(position_, window_.data(), window_.size());
    }
    const std::size_t at = static_cast<std::size_t>(position_ - windowStart_);
    const std::size_t count = std::min(length, windowSize_ - at);
    std::memcpy(data, window_.data() + at, count);
    position_ += count;
    return count;
  }

  platform::ReadOnlyFile file_;
  zip_uint64_t position_ = 0;
  std::vector<char> window_ = std::vector<char>(kZipPieceBytes);
  zip_uint64_t windowStart_ = 0;
  std::size_t windowSize_ = 0;
  zip_error_t error_;
};

// The archive over `source`, which it then owns; nothing when it is no ZIP
// archive, and the source is freed.
Handle openSource(zip_source_t* source) {
  if (source == nullptr) return nullptr;
  zip_t* archive = zip_open_from_source(source, ZIP_RDONLY, nullptr);
  if (archive == nullptr) zip_source_free(source);
  return Handle(archive);
}

}  // namespace

struct ZipArchive::State {
  Handle handle;

  zip_uint64_t count() const {
    return static_cast<zip_uint64_t>(zip_get_num_entries(handle.get(), 0));
  }

  std::string nameText(zip_uint64_t index) const {
    // The raw bytes: libzip's own guess would read them as CP437.
    const char* raw = zip_get_name(handle.get(), index, ZIP_FL_ENC_RAW);
    return raw == nullptr ? std::string() : memberNameText(raw);
  }

  bool readMember(zip_uint64_t index, const ZipChunkSink& sink) {
    zip_stat_t stat;
    if (zip_stat_index(handle.get(), index, 0, &stat) != 0 || (stat.valid & ZIP_STAT_SIZE) == 0) {
      return false;
    }
    // An encrypted member does not open: no password is ever given.
    OpenMember member(zip_fopen_index(handle.get(), index, 0));
    if (!member) return false;
    std::vector<char> piece(kZipPieceBytes);
    zip_uint64_t total = 0;
    for (;;) {
      // libzip compares the CRC when the read reaches the member's end; a
      // mismatch fails that read.
      const zip_int64_t got = zip_fread(member.get(), piece.data(), piece.size());
      if (got < 0) return false;
      if (got == 0) break;
      total += static_cast<zip_uint64_t>(got);
      sink(piece.data(), static_cast<std::size_t>(got));
    }
    // Data that ends early may still end in a well-formed stream.
    return total == stat.size;
  }
};

ZipArchive::ZipArchive(std::unique_ptr<State> state) : state_(std::move(state)) {}
ZipArchive::ZipArchive(ZipArchive&&) noexcept = default;
ZipArchive& ZipArchive::operator=(ZipArchive&&) noexcept = default;
ZipArchive::~ZipArchive() = default;

std::optional<ZipArchive> ZipArchive::open(const std::string& path) {
  std::optional<platform::ReadOnlyFile> file = platform::ReadOnlyFile::open(path);
  if (!file) return std::nullopt;
  auto bytes = std::make_unique<FileSource>(std::move(*file));
  zip_source_t* source = zip_source_function_create(FileSource::call, bytes.get(), nullptr);
  if (source == nullptr) return std::nullopt;
  bytes.release();  // the source frees it
  Handle handle = openSource(source);
  if (!handle) return std::nullopt;
  return ZipArchive(std::make_unique<State>(State{std::move(handle)}));
}

std::optional<ZipArchive> ZipArchive::openBytes(std::string_view bytes) {
  Handle handle = openSource(zip_source_buffer_create(bytes.data(), bytes.size(), 0, nullptr));
  if (!handle) return std::nullopt;
  return ZipArchive(std::make_unique<State>(State{std::move(handle)}));
}

std::vector<std::string> ZipArchive::names() const {
  std::vector<std::string> names;
  const zip_uint64_t count = state_->count();
  names.reserve(count);
  for (zip_uint64_t index = 0; index < count; ++index) names.push_back(state_->nameText(index));
  return names;
}

bool ZipArchive::read(const std::string& name, const ZipChunkSink& sink) {
  const zip_uint64_t count = state_->count();
  for (zip_uint64_t index = 0; index < count; ++index) {
    if (sameNameIgnoringAsciiCase(state_->nameText(index), name)) {
      return state_->readMember(index, sink);
    }
  }
  return false;
}

std::vector<std::string> listZipEntries(const std::string& archivePath) {
  std::optional<ZipArchive> archive = ZipArchive::open(archivePath);
  if (!archive) return {};
  return archive->names();
}

bool readZipEntry(const std::string& archivePath, const std::string& memberName,
                  const ZipChunkSink& sink) {
  std::optional<ZipArchive> archive = ZipArchive::open(archivePath);
  return archive && archive->read(memberName, sink);
}
