// Reading one member's data: past its local header, through its decoder
// (member_decoder.h), handed on piece by piece, counted and CRC-checked.
//
// Its directory entry is believed about where the data lies, how large the
// content is and what its CRC is; the local header only for where the data
// starts. A member whose entry gives more than the reader's limit is refused
// before a byte is read, and one whose data gives more than its entry says is
// stopped there: a small archive cannot make the reader decode more than it
// declares, nor more than the limit.
#pragma once

#include <cstdint>

#include "zip/archive_bytes.h"
#include "zip/central_directory.h"
#include "zip/zip_archive.h"

// Hands the content of `entry` to `sink` in pieces of at most kZipPieceBytes;
// a sink that throws ends the read there.
ZipRead readMember(ArchiveBytes& bytes, const MemberEntry& entry, std::uint64_t limit,
                   const ZipChunkSink& sink);
