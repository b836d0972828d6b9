// Archives come from outside: whatever bytes an archive holds, opening,
// listing and reading every member must end in an answer, never in a crash;
// every name listed is UTF-8, a member that reads whole must read the same
// again, and no read hands on more than its limit. The seeds in
// corpus/fuzz_zip_archive/ are archives with one odd header or record each.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "zip/member_name.h"
#include "zip/zip_archive.h"

namespace {

// Small enough for some members of small inputs to pass it.
constexpr std::uint64_t kLimit = 4096;

// The member's bytes folded into one number, or nothing when it did not read.
std::optional<std::uint64_t> readMember(ZipArchive& archive, const std::string& name,
                                        std::uint64_t limit) {
  std::uint64_t hash = 1469598103934665603u;
  std::uint64_t handed = 0;
  const ZipRead read = archive.read(
      name,
      [&hash, &handed](const char* bytes, std::size_t size) {
        handed += size;
        for (std::size_t i = 0; i < size; ++i) {
          hash = (hash ^ static_cast<unsigned char>(bytes[i])) * 1099511628211u;
        }
      },
      limit);
  if (handed > limit) std::abort();
  if (read != ZipRead::kWhole) return std::nullopt;
  return hash;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::optional<ZipArchive> archive = ZipArchive::openBytes(bytes);
  if (!archive) return 0;
  const std::vector<std::string> names = archive->names();
  for (const std::string& name : names) {
    if (!isUtf8(name)) std::abort();
  }
  std::set<std::string> distinct(names.begin(), names.end());
  distinct.insert("");
  distinct.insert("A.TXT");
  for (const std::string& name : distinct) {
    const auto first = readMember(*archive, name, kNoZipLimit);
    if (first && readMember(*archive, name, kNoZipLimit) != first) std::abort();
    readMember(*archive, name, kLimit);
  }
  return 0;
}
