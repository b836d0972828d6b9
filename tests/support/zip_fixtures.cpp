#include "tests/support/zip_fixtures.h"

#include <cstdlib>
#include <stdexcept>

namespace support {

void makeZipFixtures(const std::string& directory, const ZipFixtureSizes& sizes) {
  const std::string command = "python3 '" PAGESHELL_ZIP_FIXTURES "' '" + directory +
                              "' --large-mb " + std::to_string(sizes.largeMegabytes) + " --many " +
                              std::to_string(sizes.manyMembers) + " --false-ends " +
                              std::to_string(sizes.falseEndsMembers) + " --text-mb " +
                              std::to_string(sizes.textMegabytes) + (sizes.huge ? " --huge" : "");
  if (std::system(command.c_str()) != 0) {
    throw std::runtime_error("the archive producers failed: " + command);
  }
}

}  // namespace support
