// Reading ZIP archives: the names of their members and the bytes of one.
//
// Our own reader, read-only, over zlib and bzip2; plain C++ without Qt.
// Nothing is ever written into an archive. Zip64 is read throughout: members
// of 4 GiB and more, members that start past 4 GiB, sizes kept in a Zip64
// field however the producer wrote them, and more than 65,535 members.
//
// Archives come from outside and every size, offset and name in them may
// lie. The directory is read as it stands, and a field a producer wrote a
// little wrong costs at most its own member (central_directory.h); an
// archive whose directory breaks off does not open, one behind a stub, as
// self-extracting programs carry it, does. A member counts as read only when
// it decoded to exactly the size its directory entry gives and its CRC
// matched; it is never decoded past that size nor past the caller's limit
// (member_reader.h); memory stays at a few pieces of 64 KiB whatever a member
// claims to hold; names are read at any length the format allows.
//
// Names are listed as UTF-8 text (member_name.h): as they are when they are
// valid UTF-8, read as CP852 otherwise, whatever the archive flags them. A
// page names a member with the text the listing gave it. A name's text ends
// before its first zero byte.
//
// A ZipArchive is used by one thread at a time; archives on different
// threads, even of one file, are independent.
//
//   std::optional<ZipArchive> archive = ZipArchive::open("update.zip");
//   if (archive) {
//     for (const std::string& name : archive->names()) std::puts(name.c_str());
//     std::ofstream out("readme.txt", std::ios::binary);
//     const ZipRead read = archive->read("README.TXT", [&out](const char* bytes, std::size_t n) {
//       out.write(bytes, n);
//     });
//   }
#pragma once

#include <cstddef>
#include <cstdint>
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

// How reading a member ended.
enum class ZipRead {
  kWhole,       // found and read whole, its CRC matched
  kUnreadable,  // missing, encrypted, of a method not read, corrupt or cut short
  kTooLarge,    // its directory entry gives more than the limit: nothing was read
};

// A limit that no member reaches.
inline constexpr std::uint64_t kNoZipLimit = UINT64_MAX;

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
  // ASCII letters is ignored, and hands its bytes to `sink`, at most `limit`
  // of them. Unless the read is whole the sink may have had some bytes by
  // then, which are to be thrown away.
  ZipRead read(const std::string& name, const ZipChunkSink& sink,
               std::uint64_t limit = kNoZipLimit);

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
// to `sink`, as ZipArchive::read does; unreadable too when the archive
// cannot be opened.
ZipRead readZipEntry(const std::string& archivePath, const std::string& memberName,
                     const ZipChunkSink& sink, std::uint64_t limit = kNoZipLimit);
