#include "zip/zip_archive.h"

#include <zip.h>

#include <utility>

#include "platform/read_only_file.h"
#include "zip/archive_source.h"
#include "zip/member_name.h"

namespace {

struct Close {
  void operator()(zip_file_t* member) const { zip_fclose(member); }
};
using OpenMember = std::unique_ptr<zip_file_t, Close>;

}  // namespace

struct ZipArchive::State {
  ArchiveHandle handle;

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
  auto file = platform::ReadOnlyFile::open(path);
  if (!file) return std::nullopt;
  ArchiveHandle handle = openArchive(std::move(*file));
  if (!handle) return std::nullopt;
  return ZipArchive(std::make_unique<State>(State{std::move(handle)}));
}

std::optional<ZipArchive> ZipArchive::openBytes(std::string_view bytes) {
  ArchiveHandle handle = openArchive(bytes);
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
