// The archive reader on archives made by Python's zipfile and the zip
// command (tests/support/zip_fixtures.py).
#include "zip/zip_archive.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cctype>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/scratch.h"
#include "tests/support/zip_fixtures.h"
#include "zip/archive_bytes.h"
#include "zip/central_directory.h"

namespace {

using Names = std::vector<std::string>;

const std::string kLongName =
    std::string(99, 'd') + "/" + std::string(99, 'd') + "/" + std::string(96, 'n') + ".txt";

// The small fixtures, made once per test program and removed at its exit.
struct Fixtures {
  Fixtures() { support::makeZipFixtures(directory.path()); }
  support::Directory directory{"zip-unit"};
};

const support::Directory& fixtures() {
  static const Fixtures made;
  return made.directory;
}

std::string fixture(const std::string& name) { return fixtures() / name; }
std::string source(const std::string& member) {
  return support::readFile(fixture("src/" + member));
}

// The member's bytes, or nothing when the read failed.
std::optional<std::string> member(ZipArchive& archive, const std::string& name) {
  std::string bytes;
  if (archive.read(name, [&bytes](const char* data, std::size_t size) {
        bytes.append(data, size);
      }) != ZipRead::kWhole) {
    return std::nullopt;
  }
  return bytes;
}

std::optional<std::string> member(const std::string& archive, const std::string& name) {
  std::string bytes;
  if (readZipEntry(fixture(archive), name, [&bytes](const char* data, std::size_t size) {
        bytes.append(data, size);
      }) != ZipRead::kWhole) {
    return std::nullopt;
  }
  return bytes;
}

TEST(ZipListing, NamesComeInTheArchivesOrder) {
  EXPECT_EQ(listZipEntries(fixture("plain.zip")), (Names{"a.txt", "dir/"}));
  EXPECT_EQ(listZipEntries(fixture("mixed.zip")),
            (Names{"stored.txt", "deflated.txt", "zażółć gęślą jaźń.txt", "empty.txt", kLongName,
                   "zero.bin", "folder/inner/deep.txt"}));
  EXPECT_EQ(listZipEntries(fixture("zipcmd.zip")),
            (Names{"readme.txt", "docs/", "docs/empty-folder/", "docs/guide.txt"}));
  EXPECT_EQ(listZipEntries(fixture("zip64.zip")), (Names{"big.txt"}));
  EXPECT_EQ(listZipEntries(fixture("stub.zip")), listZipEntries(fixture("mixed.zip")));
}

TEST(ZipListing, AZip64EndRecordLeadsToTheDirectoryBehindAStubToo) {
  for (const char* archive : {"zip64-end.zip", "zip64-end-stub.zip"}) {
    EXPECT_EQ(listZipEntries(fixture(archive)), Names{"readme.txt"}) << archive;
    EXPECT_EQ(member(archive, "readme.txt"), source("zipcmd/readme.txt")) << archive;
  }
}

TEST(ZipListing, NothingIsListedForWhatIsNoWholeArchive) {
  support::Directory scratch("zip-list");
  ASSERT_EQ(::mkfifo((scratch / "fifo.zip").c_str(), 0600), 0);
  // A pipe would wait for a writer for ever if it were opened.
  for (const std::string& path :
       {fixture("missing.zip"), fixture("not-a-zip.zip"), fixture("truncated.zip"),
        fixture("damaged-dir.zip"), fixture("empty-archive.zip"), fixtures().path(),
        scratch / "fifo.zip", std::string()}) {
    EXPECT_EQ(listZipEntries(path), Names{}) << path;
  }
  EXPECT_FALSE(ZipArchive::open(fixture("damaged-dir.zip")))
      << "a directory that does not read whole";
  EXPECT_EQ(member("damaged-dir.zip", "stored.txt"), std::nullopt);
}

TEST(ZipListing, AListOfExactlyTheCountsEscapeValueIsWhole) {
  support::Directory scratch("zip-many");
  support::makeZipFixtures(scratch.path(), {0, 65535, 0});
  const Names names = listZipEntries(scratch / "many.zip");
  ASSERT_EQ(names.size(), 65535u);
  EXPECT_EQ(names.front(), "m/000000.txt");
  EXPECT_EQ(names.back(), "m/065534.txt");
}

// Bytes that count the reads made of them.
class CountedBytes : public MemoryBytes {
 public:
  using MemoryBytes::MemoryBytes;
  std::size_t readAt(std::uint64_t offset, char* buffer, std::size_t size) override {
    ++reads;
    return MemoryBytes::readAt(offset, buffer, size);
  }
  int reads = 0;
};

// A comment full of end records that lead to no directory, each claiming a
// larger one or one that starts at a member's entry (zip_fixtures.py): the
// archive reads as it would without them, and a false record costs a few
// reads, not a walk of the directory.
TEST(ZipListing, FalseEndRecordsInTheCommentCostNoWalkEach) {
  constexpr int kMembers = 1000;
  constexpr int kFalseEnds = 2900;
  support::Directory scratch("zip-false-ends");
  support::ZipFixtureSizes sizes;
  sizes.falseEndsMembers = kMembers;
  support::makeZipFixtures(scratch.path(), sizes);
  const std::string archive = scratch / "false-ends.zip";

  const std::string bytes = support::readFile(archive);
  CountedBytes counted(bytes);
  const std::optional<std::vector<MemberEntry>> entries = readCentralDirectory(counted);
  ASSERT_TRUE(entries);
  EXPECT_EQ(entries->size(), std::size_t{kMembers});
  EXPECT_LT(counted.reads, 4 * (kMembers + kFalseEnds));

  const Names names = listZipEntries(archive);
  ASSERT_EQ(names.size(), std::size_t{kMembers});
  EXPECT_EQ(names.front(), "m/000000.txt");
  EXPECT_EQ(names.back(), "m/000999.txt");
}

TEST(ZipReading, MembersReadByteForByte) {
  for (const std::string& name : listZipEntries(fixture("mixed.zip"))) {
    EXPECT_EQ(member("mixed.zip", name), source(name)) << name;
    EXPECT_EQ(member("stub.zip", name), source(name)) << "behind a stub: " << name;
  }
  EXPECT_EQ(member("zip64.zip", "big.txt"), source("big.txt"));
  EXPECT_EQ(member("bzip2.zip", "bzip2.txt"), source("bzip2.txt"));
  EXPECT_EQ(member("zipcmd.zip", "docs/guide.txt"), source("zipcmd/docs/guide.txt"));
  EXPECT_EQ(member("placeholder.zip", "readme.txt"), source("zipcmd/readme.txt"))
      << "sizes kept in a Zip64 field";
  EXPECT_EQ(member("plain.zip", "dir/"), "") << "a folder is an empty member";
}

TEST(ZipReading, NamesMatchIgnoringTheCaseOfAsciiLettersOnly) {
  EXPECT_EQ(member("plain.zip", "A.TXT"), "alpha\n");
  EXPECT_EQ(member("mixed.zip", "ZAżółć GęśLą JAźń.TXT"), source("zażółć gęślą jaźń.txt"));
  EXPECT_EQ(member("mixed.zip", "zaŻÓŁĆ gęślą jaźń.txt"), std::nullopt);
  std::string upperLong = kLongName;
  for (char& c : upperLong) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_EQ(member("mixed.zip", upperLong), "long name\n");
  for (const char* near : {"a.tx", "a.txt2", "", "dir", "/a.txt"}) {
    EXPECT_EQ(member("plain.zip", near), std::nullopt) << near;
  }
}

// As older Polish Windows archivers wrote them (zip_fixtures.py).
TEST(ZipNames, UnflaggedNamesThatAreNotUtf8AreListedAndFoundAsCp852) {
  EXPECT_EQ(listZipEntries(fixture("cp852.zip")),
            (Names{"zażółć gęślą jaźń.txt", "ŹDŹBŁO/łąka.txt", "żółw.txt"}));
  EXPECT_EQ(member("cp852.zip", "ZAżółć gęślą jaźń.TXT"), "cp852 name\n");
  EXPECT_EQ(member("cp852.zip", "ŹDŹBŁO/łąka.txt"), "in a cp852 folder\n");
  EXPECT_EQ(member("cp852.zip", "żółw.txt"), "utf-8 bytes, no flag\n");
  EXPECT_EQ(member("cp852.zip", "za\xBE\xA2\x88\x86 g\xA9\x98l\xA5 ja\xAB\xE4.txt"), std::nullopt)
      << "the raw bytes name nothing";
}

// Archivers that wrote one field a little wrong: each archive reads whole,
// as the zip command reads it.
TEST(ZipTolerance, OneOddHeaderOrRecordCostsNoMember) {
  for (const char* archive : {"odd-extra.zip", "long-comment.zip", "short-count.zip"}) {
    EXPECT_EQ(listZipEntries(fixture(archive)), (Names{"a.txt", "b.txt", "c.txt"})) << archive;
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
      EXPECT_EQ(member(archive, name), source(std::string("odd/") + name))
          << archive << " " << name;
    }
  }
  EXPECT_EQ(listZipEntries(fixture("no-zip64-field.zip")), (Names{"a.txt", "b.txt", "c.txt"}));
  EXPECT_EQ(member("no-zip64-field.zip", "b.txt"), std::nullopt) << "its size is unknown";
  EXPECT_EQ(member("no-zip64-field.zip", "c.txt"), "charlie\n");
  EXPECT_EQ(listZipEntries(fixture("flagged-cp852.zip")), (Names{"ok.txt", "zażółć.txt"}))
      << "a name flagged UTF-8 that is not is read as CP852";
  EXPECT_EQ(member("flagged-cp852.zip", "ZAżółć.TXT"), "flagged\n");
  EXPECT_EQ(member("flagged-cp852.zip", "ok.txt"), "ok\n");
}

// How a read with `limit` ended, and how many bytes the sink was handed.
std::pair<ZipRead, std::uint64_t> readCounting(const std::string& archive, const std::string& name,
                                               std::uint64_t limit) {
  std::uint64_t handed = 0;
  const ZipRead read = readZipEntry(
      fixture(archive), name, [&handed](const char*, std::size_t size) { handed += size; }, limit);
  return {read, handed};
}

// Members of 8 MiB of zeros whose headers say 1000 bytes, one of 6 bytes
// whose headers say 600 MiB (zip_fixtures.py).
TEST(ZipBombs, NoMemberIsDecodedPastItsRecordedSizeNorPastTheLimit) {
  for (const char* name : {"deflate-bomb.bin", "bzip2-bomb.bin"}) {
    const auto [read, handed] = readCounting("bombs.zip", name, kNoZipLimit);
    EXPECT_EQ(read, ZipRead::kUnreadable) << name;
    EXPECT_LE(handed, 1000u) << name << ": its headers say 1000 bytes";
    EXPECT_EQ(readCounting("bombs.zip", name, 999),
              std::make_pair(ZipRead::kTooLarge, std::uint64_t{0}))
        << name;
  }
  EXPECT_EQ(readCounting("bombs.zip", "claims-600mib.txt", 512 << 20),
            std::make_pair(ZipRead::kTooLarge, std::uint64_t{0}))
      << "refused by its recorded size, unread";
  EXPECT_EQ(readCounting("bombs.zip", "claims-600mib.txt", kNoZipLimit).first,
            ZipRead::kUnreadable);
  EXPECT_EQ(member("bombs.zip", "after.txt"), "after the bombs\n");

  const std::uint64_t deflatedSize = source("deflated.txt").size();
  EXPECT_EQ(readCounting("mixed.zip", "deflated.txt", deflatedSize),
            std::make_pair(ZipRead::kWhole, deflatedSize))
      << "a member as large as the limit";
  EXPECT_EQ(readCounting("mixed.zip", "deflated.txt", deflatedSize - 1),
            std::make_pair(ZipRead::kTooLarge, std::uint64_t{0}));
  EXPECT_EQ(readCounting("mixed.zip", "missing.txt", 0).first, ZipRead::kUnreadable);
}

TEST(ZipReading, CorruptOrUnreadableMembersNeverSucceed) {
  EXPECT_EQ(member("crc-stored.zip", "stored.txt"), std::nullopt) << "CRC mismatch";
  EXPECT_EQ(member("crc-deflated.zip", "deflated.txt"), std::nullopt);
  EXPECT_EQ(member("crc-stored.zip", "deflated.txt"), source("deflated.txt"))
      << "the damage stays with its member";
  EXPECT_EQ(member("size-lie.zip", "deflated.txt"), std::nullopt) << "ends a byte early";
  EXPECT_EQ(member("encrypted.zip", "readme.txt"), std::nullopt);
  EXPECT_EQ(member("truncated.zip", "stored.txt"), std::nullopt);
  EXPECT_EQ(member("mixed.zip", "missing.txt"), std::nullopt);
  EXPECT_EQ(member("missing.zip", "a.txt"), std::nullopt);
}

TEST(ZipReading, BytesComeInPiecesOfAtMost64KiB) {
  std::vector<std::size_t> pieces;
  ASSERT_EQ(readZipEntry(fixture("mixed.zip"), "deflated.txt",
                         [&pieces](const char*, std::size_t size) { pieces.push_back(size); }),
            ZipRead::kWhole);
  EXPECT_GT(pieces.size(), 1u);
  for (std::size_t size : pieces) EXPECT_LE(size, kZipPieceBytes);
}

TEST(ZipReading, AFailingSinkEndsTheReadAndTheArchiveReadsOn) {
  std::optional<ZipArchive> archive = ZipArchive::open(fixture("mixed.zip"));
  ASSERT_TRUE(archive);
  EXPECT_THROW(archive->read("deflated.txt",
                             [](const char*, std::size_t) { throw std::runtime_error("full"); }),
               std::runtime_error);
  EXPECT_EQ(member(*archive, "deflated.txt"), source("deflated.txt"));
  EXPECT_EQ(member(*archive, "stored.txt"), source("stored.txt"));
}

TEST(ZipArchiveInMemory, ReadsAsTheFileReads) {
  for (const char* name :
       {"plain.zip",       "mixed.zip",         "zip64.zip",       "zipcmd.zip",
        "crc-stored.zip",  "crc-deflated.zip",  "damaged-dir.zip", "truncated.zip",
        "not-a-zip.zip",   "encrypted.zip",     "placeholder.zip", "cp852.zip",
        "stub.zip",        "flagged-cp852.zip", "odd-extra.zip",   "long-comment.zip",
        "short-count.zip", "bzip2.zip",         "bombs.zip",       "zip64-end-stub.zip"}) {
    const std::string bytes = support::readFile(fixture(name));
    std::optional<ZipArchive> inMemory = ZipArchive::openBytes(bytes);
    std::optional<ZipArchive> onDisk = ZipArchive::open(fixture(name));
    ASSERT_EQ(inMemory.has_value(), onDisk.has_value()) << name;
    if (!onDisk) continue;
    const Names names = onDisk->names();
    ASSERT_EQ(inMemory->names(), names) << name;
    for (const std::string& entry : names) {
      EXPECT_EQ(member(*inMemory, entry), member(*onDisk, entry)) << name << " " << entry;
    }
  }
}

}  // namespace
