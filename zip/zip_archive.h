// Reading ZIP archives: the names of their members and the bytes of one.
//
// Built on libzip, read-only; plain C++ without Qt. Nothing is ever written
// into an archive. Zip64 is read throughout: members of 4 GiB and more,
// members that start past 4 GiB, sizes kept in a Zip64 field however the
// producer wrote them, and more than 65,535 members.
//
// Archives come from outside and every size, offset and name in them may
// lie. An archive whose directory does not read whole does not open; one
// behind a stub, as self-extracting programs carry it, does
// (archive_source.h). A member counts as read only when it inflated to
// exactly the size its directory entry gives and its CRC matched; memory
// stays at one 64 KiB piece whatever a member claims to hold; names are read
// at any length the format allows.
//
// Names are listed as UTF-8 text (member_name.h): as they are when the
// archive flags them UTF-8 or they are valid UTF-8, read as CP852 otherwise.
// A page names a member with the text the listing gave it. A name's text
// ends before its first zero byte.
//
// A ZipArchive is used by one thread at a time; archives on different
// threads, even of one file, are independent.
//
//   std::optional<ZipArchive> archive = ZipArchive::open("update.zip");
//   if (archive) {
//     for (const std::string& name : archive->names()) std::puts(name.c_str());
//     std::ofstream out("readme.txt", std::ios::binary);
//     const bool whole = archive->read("README.TXT", [&out](const char* bytes, std::size_t size) {
//       out.write(bytes, size);
//     });
//   }
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The largest piece a reader hands on at once.
inline constexpr std::size_t kZipPieceBytes = 64 * 1024;

// Receives a member's bytes piece by piece, in order. It may throw: the read
// ends there and the exception passes to the reader's caller.
using ZipChunkSink = std::function<void(const char* bytes, std::size_t size)>;

class ZipArchive {
 public:
  // The archive in the regular file at `path` (bytes handed to the file
  // system unchanged), or nothing when it cannot be opened, is no ZIP
  // archive or its directory is damaged. Devices, pipes and folders are
  // refused, never waited on.
  static std::optional<ZipArchive> open(const std::string& path);
  // The archive held in `bytes`, which must outlive the ZipArchive.
  static std::optional<ZipArchive> openBytes(std::string_view bytes);

  ZipArchive(ZipArchive&&) noexcept;
  ZipArchive& operator=(ZipArchive&&) noexcept;
  ~ZipArchive();

  // The text of every member name, in the order of the archive's directory.
  std::vector<std::string> names() const;

  // Finds the first member whose name's text equals `name` when the case of
  // ASCII letters is ignored, and hands its bytes to `sink`. True when the
  // member was found and read whole with a matching CRC. False when it is
  // missing or encrypted, its compression method is not supported, or its
  // data is corrupt or cut short; the sink may have had some bytes by then,
  // which are to be thrown away.
  bool read(const std::string& name, const ZipChunkSink& sink);

 private:
  struct State;
  explicit ZipArchive(std::unique_ptr<State> state);

  std::unique_ptr<State> state_;
};

// The two operations the zip commands are made of.

// The names of the members of the archive at `archivePath`, in order; empty
// when it cannot be opened or holds no member.
std::vector<std::string> listZipEntries(const std::string& archivePath);

// Hands the bytes of the member `memberName` of the archive at `archivePath`
// to `sink`, as ZipArchive::read does; false when the archive cannot be
// opened or the member cannot be read whole.
bool readZipEntry(const std::string& archivePath, const std::string& memberName,
                  const ZipChunkSink& sink);
