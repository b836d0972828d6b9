// An archive's bytes opened by libzip, read-only: from a regular file or
// from memory.
//
// An archive behind a stub (a self-extracting program in front of it) opens
// too, when libzip cannot open it where the file starts: the stub's length is
// the gap between where the end record says the directory ends and where
// the end record lies. Offsets kept in Zip64 records are taken as they are.
#pragma once

#include <memory>
#include <string_view>

#include "platform/read_only_file.h"

struct zip;

struct ArchiveDiscard {
  void operator()(zip* archive) const;
};
using ArchiveHandle = std::unique_ptr<zip, ArchiveDiscard>;

// The archive in `file`, or nothing when it holds no archive that reads.
ArchiveHandle openArchive(platform::ReadOnlyFile file);

// The archive in `bytes`, which must outlive it; nothing as above.
ArchiveHandle openArchive(std::string_view bytes);
