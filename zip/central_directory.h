// An archive's central directory, read by our own rules rather than a
// library's: lenient wherever a producer may have written one field a
// little wrong, strict where a lie would cost memory or time.
//
// The directory is found through the last end record that leads to one, and
// read as it stands: its entries follow one another from where it starts,
// whatever count the end record gives, and need only cover the size it
// gives; a comment that runs past the end of the file is no fault. A
// directory behind a stub (a self-extracting program in front of the
// archive) is found by the gap between where the end record says it ends
// and where it does end, and every offset is moved by that gap. Zip64 end
// records are read where the archive has them. However many end records
// lead nowhere (a comment may hold thousands), each entry is read at most
// twice: once by the walks that fall short, and once for the directory.
//
// Of an entry's extra fields only the Zip64 one is read, and only the values
// its sizes and offset need; fields that run past their block end the
// reading there, so a broken field costs nothing unless the Zip64 values lay
// behind it, and then only that entry's data.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "zip/archive_bytes.h"

// One member as its directory entry gives it.
struct MemberEntry {
  std::string name;  // the raw bytes up to the first zero byte
  std::uint16_t flags = 0;
  std::uint16_t method = 0;
  std::uint32_t crc = 0;
  std::uint64_t compressedSize = 0;
  std::uint64_t size = 0;
  std::uint64_t localHeaderOffset = 0;  // from the start of the bytes, stub included
  // False when a Zip64 value the entry needs is missing: the sizes or the
  // offset above are then not to be believed.
  bool complete = true;
};

// Every entry in directory order; nothing when no end record leads to a
// directory or an entry breaks off inside it.
std::optional<std::vector<MemberEntry>> readCentralDirectory(ArchiveBytes& bytes);
