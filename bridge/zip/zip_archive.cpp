#include "bridge/zip/zip_archive.h"

#include <unzip.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "platform/read_only_file.h"

namespace bridge::zip {
namespace {

// unzStringFileNameCompare's "ignore case" (minizip's default on Linux would
// be to respect it). Only ASCII letters are folded.
constexpr int kIgnoreCase = 2;

// General purpose flag: the member is encrypted. No password can be given,
// and its bytes read without one would only be noise.
constexpr uLong kEncryptedFlag = 1;

// Name lengths are 16-bit in the format; one byte more keeps every name
// terminated.
constexpr std::size_t kNameBufferBytes = 65536 + 1;

// The archive's bytes, wherever they are, as minizip's file-function hooks
// read them: from a position that moves as stdio's would, with nothing to
// read past the end. minizip reads a directory entry a field at a time, a
// byte or two each, so reads are served from a window of bytes at hand, and
// only a read outside it asks for more.
class ArchiveBytes {
 public:
  virtual ~ArchiveBytes() = default;
  virtual ZPOS64_T size() const = 0;

  // Copies up to `size` bytes from the position on and moves past them: the
  // count, less than asked only at the end or on a read error.
  std::size_t read(char* buffer, std::size_t size) {
    const ZPOS64_T at = position - windowStart_;
    if (position >= windowStart_ && at < window_.size() && size <= window_.size() - at) {
      // Most reads are of one byte: minizip reads numbers byte by byte.
      if (size == 1) {
        *buffer = window_[at];
      } else {
        std::memcpy(buffer, window_.data() + at, size);
      }
      position += size;
      return size;
    }
    return readAcrossWindows(buffer, size);
  }

  ZPOS64_T position = 0;

 protected:
  // Puts the bytes from `offset` on, as many as there are, in the window.
  virtual void fill(ZPOS64_T offset) = 0;

  std::string_view window_;
  ZPOS64_T windowStart_ = 0;

 private:
  bool inWindow() const { return position >= windowStart_ && position - windowStart_ < window_.size(); }

  std::size_t readAcrossWindows(char* buffer, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
      if (!inWindow()) {
        fill(position);
        if (!inWindow()) break;
      }
      const std::size_t at = static_cast<std::size_t>(position - windowStart_);
      const std::size_t count = std::min(size - done, window_.size() - at);
      std::memcpy(buffer + done, window_.data() + at, count);
      done += count;
      position += count;
    }
    return done;
  }
};

// Bytes in memory: the window is all of them.
class MemoryBytes : public ArchiveBytes {
 public:
  explicit MemoryBytes(std::string_view bytes) { window_ = bytes; }
  ZPOS64_T size() const override { return window_.size(); }

 private:
  void fill(ZPOS64_T) override {}
};

class FileBytes : public ArchiveBytes {
 public:
  explicit FileBytes(platform::ReadOnlyFile file) : file_(std::move(file)) {}
  ZPOS64_T size() const override { return file_.size(); }

 private:
  void fill(ZPOS64_T offset) override {
    windowStart_ = offset;
    window_ = std::string_view(buffer_.data(), file_.readAt(offset, buffer_.data(), buffer_.size()));
  }

  platform::ReadOnlyFile file_;
  std::vector<char> buffer_ = std::vector<char>(kPieceBytes);
};

ArchiveBytes& bytesOf(voidpf stream) { return *static_cast<ArchiveBytes*>(stream); }

voidpf openHook(voidpf opaque, const void*, int) { return opaque; }

uLong readHook(voidpf, voidpf stream, void* buffer, uLong size) {
  return static_cast<uLong>(bytesOf(stream).read(static_cast<char*>(buffer), size));
}

uLong writeHook(voidpf, voidpf, const void*, uLong) { return 0; }

ZPOS64_T tellHook(voidpf, voidpf stream) { return bytesOf(stream).position; }

// The offset is signed for SEEK_CUR, as fseeko takes it.
long seekHook(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  ArchiveBytes& bytes = bytesOf(stream);
  const ZPOS64_T base = origin == ZLIB_FILEFUNC_SEEK_CUR   ? bytes.position
                        : origin == ZLIB_FILEFUNC_SEEK_END ? bytes.size()
                                                           : 0;
  std::int64_t target = 0;
  if (__builtin_add_overflow(static_cast<std::int64_t>(base), static_cast<std::int64_t>(offset),
                             &target) ||
      target < 0) {
    return -1;
  }
  bytes.position = static_cast<ZPOS64_T>(target);
  return 0;
}

int closeHook(voidpf, voidpf) { return 0; }

int errorHook(voidpf, voidpf) { return 0; }

// Closes the member opened for reading on every way out of a read.
class OpenMember {
 public:
  explicit OpenMember(unzFile handle) : handle_(handle) {}
  ~OpenMember() {
    if (handle_ != nullptr) unzCloseCurrentFile(handle_);
  }
  OpenMember(const OpenMember&) = delete;
  OpenMember& operator=(const OpenMember&) = delete;

  // UNZ_CRCERROR when the member was read to its end and its CRC differs.
  int close() { return unzCloseCurrentFile(std::exchange(handle_, nullptr)); }

 private:
  unzFile handle_;
};

}  // namespace

struct ZipArchive::State {
  std::unique_ptr<ArchiveBytes> bytes;
  unzFile handle = nullptr;
  std::vector<char> name = std::vector<char>(kNameBufferBytes);

  ~State() {
    if (handle != nullptr) unzClose(handle);
  }

  // Opens minizip over `source`; false when it is no ZIP archive.
  bool open(std::unique_ptr<ArchiveBytes> source) {
    bytes = std::move(source);
    zlib_filefunc64_def hooks;
    hooks.zopen64_file = openHook;
    hooks.zread_file = readHook;
    hooks.zwrite_file = writeHook;
    hooks.ztell64_file = tellHook;
    hooks.zseek64_file = seekHook;
    hooks.zclose_file = closeHook;
    hooks.zerror_file = errorHook;
    hooks.opaque = bytes.get();
    handle = unzOpen2_64("", &hooks);
    return handle != nullptr;
  }

  enum class Walk { kFound, kEnd, kDamaged };

  // Visits the members in directory order until `stop` holds for a name,
  // leaving that member the current one.
  template <class Stop>
  Walk walk(const Stop& stop) {
    unz_global_info64 global;
    if (unzGetGlobalInfo64(handle, &global) != UNZ_OK) return Walk::kDamaged;
    ZPOS64_T visited = 0;
    int result = unzGoToFirstFile(handle);
    while (result == UNZ_OK) {
      // The buffer's last byte is never written, so the name stays terminated.
      if (unzGetCurrentFileInfo64(handle, nullptr, name.data(), name.size() - 1, nullptr, 0,
                                  nullptr, 0) != UNZ_OK) {
        return Walk::kDamaged;
      }
      ++visited;
      if (stop(name.data())) return Walk::kFound;
      result = unzGoToNextFile(handle);
    }
    // The count decides, not the result: minizip ends a list of exactly
    // 65,535 members (the count's escape value) with an error instead of
    // its end mark.
    return visited == global.number_entry ? Walk::kEnd : Walk::kDamaged;
  }

  bool readCurrent(const ChunkSink& sink) {
    unz_file_info64 info;
    if (unzGetCurrentFileInfo64(handle, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
        (info.flag & kEncryptedFlag) != 0 || unzOpenCurrentFile(handle) != UNZ_OK) {
      return false;
    }
    OpenMember member(handle);
    std::vector<char> piece(kPieceBytes);
    ZPOS64_T total = 0;
    for (;;) {
      const int got = unzReadCurrentFile(handle, piece.data(), static_cast<unsigned>(piece.size()));
      if (got < 0) return false;
      if (got == 0) break;
      total += static_cast<ZPOS64_T>(got);
      sink(piece.data(), static_cast<std::size_t>(got));
    }
    // minizip compares the CRC only when it has inflated exactly the size
    // the directory gives; data that ends early never gets that far.
    const bool whole = total == info.uncompressed_size;
    return member.close() == UNZ_OK && whole;
  }
};

ZipArchive::ZipArchive(std::unique_ptr<State> state) : state_(std::move(state)) {}
ZipArchive::ZipArchive(ZipArchive&&) noexcept = default;
ZipArchive& ZipArchive::operator=(ZipArchive&&) noexcept = default;
ZipArchive::~ZipArchive() = default;

std::optional<ZipArchive> ZipArchive::open(const std::string& path) {
  platform::Result<platform::ReadOnlyFile> file = platform::ReadOnlyFile::open(path);
  auto state = std::make_unique<State>();
  if (!file || !state->open(std::make_unique<FileBytes>(std::move(*file)))) return std::nullopt;
  return ZipArchive(std::move(state));
}

std::optional<ZipArchive> ZipArchive::openBytes(std::string_view bytes) {
  auto state = std::make_unique<State>();
  if (!state->open(std::make_unique<MemoryBytes>(bytes))) return std::nullopt;
  return ZipArchive(std::move(state));
}

std::optional<std::vector<std::string>> ZipArchive::names() {
  std::vector<std::string> names;
  const auto walked = state_->walk([&names](const char* name) {
    names.emplace_back(name);
    return false;
  });
  if (walked == State::Walk::kDamaged) return std::nullopt;
  return names;
}

bool ZipArchive::read(const std::string& name, const ChunkSink& sink) {
  const auto walked = state_->walk([&name](const char* candidate) {
    return unzStringFileNameCompare(candidate, name.c_str(), kIgnoreCase) == 0;
  });
  return walked == State::Walk::kFound && state_->readCurrent(sink);
}

std::vector<std::string> listZipEntries(const std::string& archivePath) {
  std::optional<ZipArchive> archive = ZipArchive::open(archivePath);
  if (!archive) return {};
  return archive->names().value_or(std::vector<std::string>());
}

bool readZipEntry(const std::string& archivePath, const std::string& memberName,
                  const ChunkSink& sink) {
  std::optional<ZipArchive> archive = ZipArchive::open(archivePath);
  return archive && archive->read(memberName, sink);
}

}  // namespace bridge::zip
