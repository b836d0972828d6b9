// Which engine the build under test shows pages with, for the few checks
// where the two differ for a page.
#pragma once

#include <cstring>

namespace support {

inline bool onWebEngine() { return std::strcmp(PAGESHELL_ENGINE_NAME, "webengine") == 0; }

}  // namespace support
