// The zip commands: list the members of a ZIP archive, answer one member as
// text or as base64, and extract one member into a file in the background.
//
// Their arguments, answers and records are described in bridge/commands.h.
// Paths and member names are UTF-8 bytes handed on unchanged, and a member is
// found by its name with the case of ASCII letters ignored (zip_archive.h).
// Failures are answered in the protocol's form with one of two Polish
// messages:
//   "Nie można rozpakować elementu."   the archive or the member cannot be read
//   "Nie można zapisać elementu."      the target file cannot be written
// and getZipEntry refuses a member whose directory entry gives more than an
// answer holds (kMaxAnswerBytes) with
//   "member too large for an answer [more than 536869888 bytes]"
// before decoding any of it; getZipEntryBase64 likewise past three quarters
// of that ("[more than 402652416 bytes]"), as its base64 is a third longer.
//
// getZipDir, getZipEntry and getZipEntryBase64 run on the GUI thread inside
// dispatch; no member is decoded there past the size its entry gives.
// unzipToFile answers at once and extracts on a worker (worker.h); past the
// bounds of the ZIP queue it answers the refusal worker.h gives instead and
// starts nothing. The worker reports [id, "pass", event, value] records in
// this order:
//   "progress" "0"      the worker has started
//   "error" unpack      the member cannot be read whole (last record)
//   "progress" "50"     the member has been read whole, its CRC checked
//   "error" write       the target cannot be written (last record)
//   "progress" "100"    the target holds the member
//   "finish" member     the member name as the page gave it (last record)
// The member streams into a temporary file beside the target, which takes
// the target's place only after the whole member was read and written:
// memory stays flat whatever the member's size, and a failed extraction
// leaves an existing target as it was.
#pragma once

#include "bridge/command_calls.h"
