#include "bridge/zip/zip_archive.h"

#include <unzip.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <utility>

#include "platform/directory.h"

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

// An archive held in memory, read through minizip's file-function hooks the
// way stdio reads a file: positions past the end read nothing.
struct MemoryFile {
  const char* data;
  ZPOS64_T size;
  ZPOS64_T position = 0;
};

voidpf openMemory(voidpf opaque, const void*, int) { return opaque; }

uLong readMemory(voidpf, voidpf stream, void* buffer, uLong size) {
  auto* file = static_cast<MemoryFile*>(stream);
  if (file->position >= file->size) return 0;
  const ZPOS64_T count = std::min<ZPOS64_T>(size, file->size - file->position);
  std::memcpy(buffer, file->data + file->position, count);
  file->position += count;
  return static_cast<uLong>(count);
}

uLong writeMemory(voidpf, voidpf, const void*, uLong) { return 0; }

ZPOS64_T tellMemory(voidpf, voidpf stream) { return static_cast<MemoryFile*>(stream)->position; }

// The offset is signed for SEEK_CUR, as fseeko takes it.
long seekMemory(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  auto* file = static_cast<MemoryFile*>(stream);
  const ZPOS64_T base = origin == ZLIB_FILEFUNC_SEEK_CUR   ? file->position
                        : origin == ZLIB_FILEFUNC_SEEK_END ? file->size
                                                           : 0;
  std::int64_t target = 0;
  if (__builtin_add_overflow(static_cast<std::int64_t>(base), static_cast<std::int64_t>(offset),
                             &target) ||
      target < 0) {
    return -1;
  }
  file->position = static_cast<ZPOS64_T>(target);
  return 0;
}

int closeMemory(voidpf, voidpf) { return 0; }

int memoryError(voidpf, voidpf) { return 0; }

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
  unzFile handle = nullptr;
  std::unique_ptr<MemoryFile> memory;  // what an archive in memory is read from
  std::vector<char> name = std::vector<char>(kNameBufferBytes);

  ~State() {
    if (handle != nullptr) unzClose(handle);
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
  if (!platform::isRegularFile(path)) return std::nullopt;
  auto state = std::make_unique<State>();
  state->handle = unzOpen64(path.c_str());
  if (state->handle == nullptr) return std::nullopt;
  return ZipArchive(std::move(state));
}

std::optional<ZipArchive> ZipArchive::openBytes(std::string_view bytes) {
  auto state = std::make_unique<State>();
  state->memory.reset(new MemoryFile{bytes.data(), bytes.size()});
  zlib_filefunc64_def hooks;
  hooks.zopen64_file = openMemory;
  hooks.zread_file = readMemory;
  hooks.zwrite_file = writeMemory;
  hooks.ztell64_file = tellMemory;
  hooks.zseek64_file = seekMemory;
  hooks.zclose_file = closeMemory;
  hooks.zerror_file = memoryError;
  hooks.opaque = state->memory.get();
  state->handle = unzOpen2_64("", &hooks);
  if (state->handle == nullptr) return std::nullopt;
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
