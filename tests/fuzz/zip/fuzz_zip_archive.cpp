// Archives come from outside: whatever bytes an archive holds, opening,
// listing and reading every member must end in an answer, never in a crash;
// every name listed is UTF-8, and a member that reads whole must read the
// same again.
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

// The member's bytes folded into one number, or nothing when it did not read.
std::optional<std::uint64_t> readMember(ZipArchive& archive, const std::string& name) {
  std::uint64_t hash = 1469598103934665603u;
  const bool read = archive.read(name, [&hash](const char* bytes, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
      hash = (hash ^ static_cast<unsigned char>(bytes[i])) * 1099511628211u;
    }
  });
  if (!read) return std::nullopt;
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
    const auto first = readMember(*archive, name);
    if (first && readMember(*archive, name) != first) std::abort();
  }
  return 0;
}
