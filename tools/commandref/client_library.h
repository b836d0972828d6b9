// The part of the client library (js/pageshell.js) that follows from the
// commands' description: where each background command takes its callback
// identifier. The part sits between two marker lines in the library; the
// committed library is compared with rewriteClientLibrary's text by
// tests/unit/bridge, so it cannot drift.
#pragma once

#include <optional>
#include <string>

namespace commandref {

// The written part, marker lines included.
std::string clientLibraryPart();

// `library` with its written part replaced by clientLibraryPart(), or
// nothing when it has no marker lines.
std::optional<std::string> rewriteClientLibrary(const std::string& library);

}  // namespace commandref
