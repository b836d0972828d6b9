// ZIP archives made by producers independent of the shell (Python's zipfile
// and the zip command, driven by zip_fixtures.py), for the zip tests and
// benchmarks. zip_fixtures.py lists the archives and what they hold; the
// bytes of every member are written beside them under src/.
#pragma once

#include <string>

namespace support {

// The big archives, made only when asked for (0: not made).
struct ZipFixtureSizes {
  int largeMegabytes = 0;    // large.zip: large.bin, deflated
  int manyMembers = 0;       // many.zip: that many small members
  int textMegabytes = 0;     // text.zip: text.txt, UTF-8 text, deflated
  bool huge = false;         // huge-*.zip: a member of 4.1 GiB of zeros, deflated
  int falseEndsMembers = 0;  // false-ends.zip: that many, behind false end records
};

// Writes the archives into `directory`. Throws std::runtime_error when the
// producers cannot run.
void makeZipFixtures(const std::string& directory, const ZipFixtureSizes& sizes = {});

}  // namespace support
