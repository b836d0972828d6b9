#include "zip/central_directory.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

#include "zip/little_endian.h"

namespace {

constexpr std::uint32_t kEntrySignature = 0x02014b50;
constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kZip64EndSignature = 0x06064b50;
constexpr std::uint32_t kZip64LocatorSignature = 0x07064b50;

constexpr std::size_t kEntryBytes = 46;
constexpr std::size_t kEndBytes = 22;
constexpr std::size_t kZip64EndBytes = 56;
constexpr std::size_t kZip64LocatorBytes = 20;
constexpr std::size_t kLongestComment = 0xFFFF;

constexpr std::uint32_t kEscape32 = 0xFFFFFFFF;
constexpr std::uint16_t kZip64FieldId = 0x0001;

// Where the directory is, as an end record gives it.
struct DirectoryBounds {
  std::uint64_t start = 0;  // as recorded: before any stub
  std::uint64_t size = 0;
  std::uint64_t recordAt = 0;  // where the record lies, which is where the directory ends
};

// The bounds a Zip64 end record gives, looked for where the locator says and
// right before the locator, where it lies behind a stub.
std::optional<DirectoryBounds> zip64Bounds(ArchiveBytes& bytes, std::uint64_t locatorAt) {
  char locator[kZip64LocatorBytes];
  if (!bytes.readAll(locatorAt, locator, sizeof locator) ||
      le32(locator) != kZip64LocatorSignature) {
    return std::nullopt;
  }
  for (const std::uint64_t at : {le64(locator + 8), locatorAt - kZip64EndBytes}) {
    char record[kZip64EndBytes];
    if (at <= locatorAt - kZip64EndBytes && bytes.readAll(at, record, sizeof record) &&
        le32(record) == kZip64EndSignature) {
      return DirectoryBounds{le64(record + 48), le64(record + 40), at};
    }
  }
  return std::nullopt;
}

bool entryStartsAt(ArchiveBytes& bytes, std::uint64_t at) {
  char signature[4];
  return bytes.readAll(at, signature, sizeof signature) && le32(signature) == kEntrySignature;
}

// Reads the Zip64 values the entry's escaped fields stand for, in the order
// they are kept; the entry stays incomplete when one is missing.
void readZip64Values(std::string_view extra, bool sizeEscaped, bool compressedEscaped,
                     bool offsetEscaped, MemberEntry& entry) {
  for (std::size_t at = 0; extra.size() - at >= 4;) {
    const std::uint16_t id = le16(extra.data() + at);
    const std::size_t length = le16(extra.data() + at + 2);
    if (length > extra.size() - at - 4) return;
    if (id == kZip64FieldId) {
      std::string_view values = extra.substr(at + 4, length);
      const auto take = [&values](bool escaped, std::uint64_t& value) {
        if (!escaped) return true;
        if (values.size() < 8) return false;
        value = le64(values.data());
        values.remove_prefix(8);
        return true;
      };
      entry.complete = take(sizeEscaped, entry.size) &&
                       take(compressedEscaped, entry.compressedSize) &&
                       take(offsetEscaped, entry.localHeaderOffset);
      return;
    }
    at += 4 + length;
  }
}

// The entry whose fixed part is `fixed` and whose name and extra fields
// follow as `variable`.
MemberEntry entryOf(const char* fixed, std::string_view variable) {
  const std::size_t nameLength = le16(fixed + 28);
  MemberEntry entry;
  const std::string_view name = variable.substr(0, nameLength);
  entry.name = std::string(name.substr(0, name.find('\0')));
  entry.flags = le16(fixed + 8);
  entry.method = le16(fixed + 10);
  entry.crc = le32(fixed + 16);
  entry.compressedSize = le32(fixed + 20);
  entry.size = le32(fixed + 24);
  entry.localHeaderOffset = le32(fixed + 42);
  const bool sizeEscaped = entry.size == kEscape32;
  const bool compressedEscaped = entry.compressedSize == kEscape32;
  const bool offsetEscaped = entry.localHeaderOffset == kEscape32;
  if (sizeEscaped || compressedEscaped || offsetEscaped) {
    entry.complete = false;
    readZip64Values(variable.substr(nameLength), sizeEscaped, compressedEscaped, offsetEscaped,
                    entry);
  }
  return entry;
}

// Where walks of the directory that fell short have ended, by the entries
// they stepped over. The entries that follow one position are the same
// whichever end record led there, so a walk that reaches an entry seen
// before knows at once where it ends: a comment full of false end records,
// each claiming a larger directory, costs one walk of the directory in all
// rather than one each.
class ShortWalks {
 public:
  // Where the walk through `at` ended; nothing when none went through it.
  std::optional<std::uint64_t> endThrough(std::uint64_t at) const {
    const auto found = walkThrough_.find(at);
    if (found == walkThrough_.end()) return std::nullopt;
    return ends_[found->second];
  }

  // A walk through `positions` that ended at `end`, short of its directory.
  void add(const std::vector<std::uint64_t>& positions, std::uint64_t end) {
    ends_.push_back(end);
    for (const std::uint64_t at : positions) walkThrough_.emplace(at, ends_.size() - 1);
  }

 private:
  std::unordered_map<std::uint64_t, std::size_t> walkThrough_;  // entry position -> its walk
  std::vector<std::uint64_t> ends_;
};

// An end that no directory reaches: an entry whose name and fields ran past
// the bytes.
constexpr std::uint64_t kBrokenOff = 0;

// The entries from where the directory starts for as long as they follow
// one another; nothing when they stop short of the size the record gives.
std::optional<std::vector<MemberEntry>> readEntries(ArchiveBytes& bytes,
                                                    const DirectoryBounds& bounds,
                                                    ShortWalks& shortWalks) {
  std::uint64_t start = bounds.start;
  if (!entryStartsAt(bytes, start) && bounds.recordAt >= bounds.size &&
      bounds.recordAt - bounds.size > start &&
      entryStartsAt(bytes, bounds.recordAt - bounds.size)) {
    start = bounds.recordAt - bounds.size;
  }
  const std::uint64_t stub = start - bounds.start;
  std::uint64_t end = 0;
  if (__builtin_add_overflow(start, bounds.size, &end)) return std::nullopt;

  std::vector<MemberEntry> entries;
  std::vector<std::uint64_t> positions;
  std::uint64_t at = start;
  char fixed[kEntryBytes];
  std::string variable;
  const auto fallsShort = [&](std::uint64_t walkEnd) {
    shortWalks.add(positions, walkEnd);
    return std::nullopt;
  };
  while (bytes.readAll(at, fixed, sizeof fixed) && le32(fixed) == kEntrySignature) {
    if (const std::optional<std::uint64_t> known = shortWalks.endThrough(at)) {
      if (*known < end || *known == kBrokenOff) return fallsShort(*known);
    }
    variable.resize(std::size_t{le16(fixed + 28)} + le16(fixed + 30));
    positions.push_back(at);
    if (!bytes.readAll(at + kEntryBytes, variable.data(), variable.size())) {
      return fallsShort(kBrokenOff);
    }
    MemberEntry entry = entryOf(fixed, variable);
    if (__builtin_add_overflow(entry.localHeaderOffset, stub, &entry.localHeaderOffset)) {
      entry.complete = false;
    }
    entries.push_back(std::move(entry));
    at += kEntryBytes + variable.size() + le16(fixed + 32);
  }
  if (at < end) return fallsShort(at);
  return entries;
}

// A Zip64 end record's bounds when the archive has one that leads to a
// directory, else the end record's own.
std::optional<std::vector<MemberEntry>> readFromEndRecord(ArchiveBytes& bytes, const char* record,
                                                          std::uint64_t recordAt,
                                                          ShortWalks& shortWalks) {
  if (recordAt >= kZip64LocatorBytes + kZip64EndBytes) {
    if (const auto bounds = zip64Bounds(bytes, recordAt - kZip64LocatorBytes)) {
      if (auto entries = readEntries(bytes, *bounds, shortWalks)) return entries;
    }
  }
  return readEntries(bytes, DirectoryBounds{le32(record + 16), le32(record + 12), recordAt},
                     shortWalks);
}

}  // namespace

std::optional<std::vector<MemberEntry>> readCentralDirectory(ArchiveBytes& bytes) {
  const std::size_t tailSize = std::min<std::uint64_t>(bytes.size(), kEndBytes + kLongestComment);
  if (tailSize < kEndBytes) return std::nullopt;
  const std::uint64_t tailStart = bytes.size() - tailSize;
  std::string tail(tailSize, '\0');
  if (!bytes.readAll(tailStart, tail.data(), tailSize)) return std::nullopt;
  ShortWalks shortWalks;
  for (std::size_t at = tailSize - kEndBytes + 1; at-- > 0;) {
    if (le32(&tail[at]) != kEndSignature) continue;
    if (auto entries = readFromEndRecord(bytes, &tail[at], tailStart + at, shortWalks)) {
      return entries;
    }
  }
  return std::nullopt;
}
