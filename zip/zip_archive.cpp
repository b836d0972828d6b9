#include "zip/zip_archive.h"

#include <utility>

#include "platform/read_only_file.h"
#include "zip/archive_bytes.h"
#include "zip/central_directory.h"
#include "zip/member_name.h"
#include "zip/member_reader.h"

struct ZipArchive::State {
  std::unique_ptr<ArchiveBytes> bytes;
  std::vector<MemberEntry> entries;
  std::vector<std::string> names;  // the text of each entry's name

  static std::unique_ptr<State> open(std::unique_ptr<ArchiveBytes> bytes) {
    std::optional<std::vector<MemberEntry>> entries = readCentralDirectory(*bytes);
    if (!entries) return nullptr;
    auto state = std::make_unique<State>();
    state->names.reserve(entries->size());
    for (const MemberEntry& entry : *entries) state->names.push_back(memberNameText(entry.name));
    state->bytes = std::move(bytes);
    state->entries = std::move(*entries);
    return state;
  }
};

ZipArchive::ZipArchive(std::unique_ptr<State> state) : state_(std::move(state)) {}
ZipArchive::ZipArchive(ZipArchive&&) noexcept = default;
ZipArchive& ZipArchive::operator=(ZipArchive&&) noexcept = default;
ZipArchive::~ZipArchive() = default;

std::optional<ZipArchive> ZipArchive::open(const std::string& path) {
  auto file = platform::ReadOnlyFile::open(path);
  if (!file) return std::nullopt;
  std::unique_ptr<State> state = State::open(std::make_unique<FileBytes>(std::move(*file)));
  if (!state) return std::nullopt;
  return ZipArchive(std::move(state));
}

std::optional<ZipArchive> ZipArchive::openBytes(std::string_view bytes) {
  std::unique_ptr<State> state = State::open(std::make_unique<MemoryBytes>(bytes));
  if (!state) return std::nullopt;
  return ZipArchive(std::move(state));
}

std::vector<std::string> ZipArchive::names() const { return state_->names; }

ZipRead ZipArchive::read(const std::string& name, const ZipChunkSink& sink, std::uint64_t limit) {
  for (std::size_t index = 0; index < state_->names.size(); ++index) {
    if (sameNameIgnoringAsciiCase(state_->names[index], name)) {
      return readMember(*state_->bytes, state_->entries[index], limit, sink);
    }
  }
  return ZipRead::kUnreadable;
}

std::vector<std::string> listZipEntries(const std::string& archivePath) {
  std::optional<ZipArchive> archive = ZipArchive::open(archivePath);
  if (!archive) return {};
  return archive->names();
}

ZipRead readZipEntry(const std::string& archivePath, const std::string& memberName,
                     const ZipChunkSink& sink, std::uint64_t limit) {
  std::optional<ZipArchive> archive = ZipArchive::open(archivePath);
  if (!archive) return ZipRead::kUnreadable;
  return archive->read(memberName, sink, limit);
}
