#include "zip/member_reader.h"

#include <zlib.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "zip/little_endian.h"
#include "zip/member_decoder.h"

namespace {

constexpr std::uint32_t kLocalHeaderSignature = 0x04034b50;
constexpr std::size_t kLocalHeaderBytes = 30;
// Encrypted (bit 0) or strongly encrypted (bit 6): no password is ever given.
constexpr std::uint16_t kEncryptedFlags = 0x0041;

// Where the data starts: past the local header, its name and extra fields,
// whatever those hold.
std::optional<std::uint64_t> dataOffset(ArchiveBytes& bytes, std::uint64_t headerAt) {
  char header[kLocalHeaderBytes];
  if (!bytes.readAll(headerAt, header, sizeof header) || le32(header) != kLocalHeaderSignature) {
    return std::nullopt;
  }
  // The header was read, so its offset lies inside the bytes: no overflow.
  return headerAt + kLocalHeaderBytes + le16(header + 26) + le16(header + 28);
}

}  // namespace

ZipRead readMember(ArchiveBytes& bytes, const MemberEntry& entry, std::uint64_t limit,
                   const ZipChunkSink& sink) {
  if (!entry.complete || (entry.flags & kEncryptedFlags) != 0) return ZipRead::kUnreadable;
  if (entry.size > limit) return ZipRead::kTooLarge;
  const std::unique_ptr<MemberDecoder> decoder = decoderFor(entry.method);
  std::optional<std::uint64_t> position = dataOffset(bytes, entry.localHeaderOffset);
  if (!decoder || !position) return ZipRead::kUnreadable;

  std::vector<char> input(kZipPieceBytes);
  std::vector<char> output(kZipPieceBytes);
  std::size_t inputAt = 0;
  std::size_t inputSize = 0;
  std::uint64_t unread = entry.compressedSize;
  std::uint64_t total = 0;
  uLong crc = crc32(0, nullptr, 0);
  for (;;) {
    if (inputAt == inputSize && unread > 0) {
      inputSize =
          bytes.readAt(*position, input.data(), std::min<std::uint64_t>(input.size(), unread));
      if (inputSize == 0) return ZipRead::kUnreadable;  // the data is cut short
      *position += inputSize;
      unread -= inputSize;
      inputAt = 0;
    }
    const DecodeStep step = decoder->decode(input.data() + inputAt, inputSize - inputAt,
                                            unread == 0, output.data(), output.size());
    if (step.failed || (step.consumed == 0 && step.produced == 0 && !step.ended)) {
      return ZipRead::kUnreadable;
    }
    inputAt += step.consumed;
    // More than the entry gives is a lie: the rest is never decoded.
    if (step.produced > entry.size - total) return ZipRead::kUnreadable;
    total += step.produced;
    if (step.produced > 0) {
      crc = crc32_z(crc, reinterpret_cast<const Bytef*>(output.data()), step.produced);
      sink(output.data(), step.produced);
    }
    if (step.ended) break;
  }
  return total == entry.size && crc == entry.crc ? ZipRead::kWhole : ZipRead::kUnreadable;
}
