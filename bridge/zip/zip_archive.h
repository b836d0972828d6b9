// Reading ZIP archives: the names of their members and the bytes of one.
//
// Built on minizip's unzip API over zlib, through its 64-bit entry points;
// plain C++ without Qt. Nothing is ever written into an archive.
//
// Archives come from outside and every size, offset and name in them may
// lie. A member counts as read only when it inflated to exactly the size its
// directory entry gives and its CRC matched; memory stays at one 64 KiB
// piece whatever a member claims to hold; names are read at any length the
// format allows.
//
// Names are the archive's bytes. Neither the UTF-8 flag nor the CP437 of
// older archivers is looked at, and nothing is converted: that is
// deliberate, so that a page names a member with exactly the bytes the
// listing gave it. A name's text ends before its first zero byte.
//
// The minizip of Debian 12 does not apply a member's Zip64 extra field: a
// member whose directory entry needs it (a size or position past 4 GiB)
// cannot be read, and fails as unreadable rather than as wrong bytes.
// Archives with Zip64 end records (more than 65,535 members, a directory
// past 4 GiB) read like any other.
//
// A ZipArchive is used by one thread at a time; archives on different
// threads, even of one file, are independent.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bridge::zip {

// The largest piece a reader hands on at once.
inline constexpr std::size_t kPieceBytes = 64 * 1024;

// Receives a member's bytes piece by piece, in order. It may throw: the read
// ends there and the exception passes to the reader's caller.
using ChunkSink = std::function<void(const char* bytes, std::size_t size)>;

class ZipArchive {
 public:
  // The archive in the regular file at `path` (bytes handed to the file
  // system unchanged), or nothing when it cannot be opened or is no ZIP
  // archive. Devices, pipes and folders are refused, never waited on.
  static std::optional<ZipArchive> open(const std::string& path);
  // The archive held in `bytes`, which must outlive the ZipArchive.
  static std::optional<ZipArchive> openBytes(std::string_view bytes);

  ZipArchive(ZipArchive&&) noexcept;
  ZipArchive& operator=(ZipArchive&&) noexcept;
  ~ZipArchive();

  // The member names in the order of the archive's directory, or nothing
  // when the directory is damaged: when listing cannot reach its end, or
  // reaches it short of the count the archive's end record gives.
  std::optional<std::vector<std::string>> names();

  // Finds the first member whose name equals `name` when the case of ASCII
  // letters is ignored, and hands its bytes to `sink`. True when the member
  // was found and read whole with a matching CRC. False when it is missing
  // or encrypted, its compression method is not supported, or its data is
  // corrupt or cut short; the sink may have had some bytes by then, which
  // are to be thrown away.
  bool read(const std::string& name, const ChunkSink& sink);

 private:
  struct State;
  explicit ZipArchive(std::unique_ptr<State> state);

  std::unique_ptr<State> state_;
};

// The two operations the zip commands are made of.

// The names of the members of the archive at `archivePath`, in order; empty
// when it cannot be opened, holds no member, or its directory is damaged.
std::vector<std::string> listZipEntries(const std::string& archivePath);

// Hands the bytes of the member `memberName` of the archive at `archivePath`
// to `sink`, as ZipArchive::read does; false when the archive cannot be
// opened or the member cannot be read whole.
bool readZipEntry(const std::string& archivePath, const std::string& memberName,
                  const ChunkSink& sink);

}  // namespace bridge::zip
