// Archives past the 32-bit limits of the ZIP format, read through the real
// binary: a member of 4.1 GiB of zeros, its sizes and CRC kept in Zip64
// fields, as Python's zipfile streams it and as the zip command writes it.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/page_runner.h"
#include "tests/support/zip_fixtures.h"

namespace {

struct SizeAndCrc {
  std::uint64_t size = 0;
  std::uint32_t crc = 0;
  bool operator==(const SizeAndCrc& other) const { return size == other.size && crc == other.crc; }
};

std::ostream& operator<<(std::ostream& out, const SizeAndCrc& file) {
  return out << file.size << " bytes, CRC " << file.crc;
}

SizeAndCrc sizeAndCrcOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> piece(1 << 20);
  SizeAndCrc file;
  uLong crc = crc32(0, nullptr, 0);
  while (in.read(piece.data(), static_cast<std::streamsize>(piece.size())) || in.gcount() > 0) {
    const auto got = static_cast<std::size_t>(in.gcount());
    crc = crc32_z(crc, reinterpret_cast<const Bytef*>(piece.data()), got);
    file.size += got;
  }
  file.crc = static_cast<std::uint32_t>(crc);
  return file;
}

// The size and CRC zip_fixtures.py gave the huge member, as "size crc".
SizeAndCrc recorded(const std::string& path) {
  std::ifstream in(path);
  SizeAndCrc file;
  in >> file.size >> file.crc;
  return file;
}

TEST(ZipPast4GiB, HugeMembersAreListedAndExtractedWhole) {
  support::Directory archives("zip-huge");
  support::ZipFixtureSizes sizes;
  sizes.huge = true;
  support::makeZipFixtures(archives.path(), sizes);
  const SizeAndCrc expected = recorded(archives / "src/zeros.bin.size-crc");
  ASSERT_GT(expected.size, std::uint64_t{4} << 30);

  e2e::RunOptions options;
  options.files["zip_paths.js"] = "var ZIPS = \"" + archives.path() + "/\";\n";
  options.timeout = std::chrono::seconds(110);  // inside ctest's 120 s, to be told why
  const e2e::PageRun run = e2e::runPage("zip_past_4gib.html", options);
  ASSERT_EQ(e2e::failureReport(run), "");
  EXPECT_EQ(sizeAndCrcOf(run.directory + "/python.bin"), expected);
  EXPECT_EQ(sizeAndCrcOf(run.directory + "/zipcmd.bin"), expected);
}

}  // namespace
