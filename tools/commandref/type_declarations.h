// The part of the client library's TypeScript declarations
// (js/pageshell.d.ts) that follows from the commands' description: every
// command's arguments and answer, and for each background command the
// arguments start() takes, what its Promise gives and the records it sends.
// The part sits between two marker lines; the hand-written rest types the
// library's own functions. tests/unit/bridge compares the committed file
// with rewriteTypeDeclarations's text, so it cannot drift.
#pragma once

#include <optional>
#include <string>

namespace commandref {

// The written part, marker lines included.
std::string typeDeclarationsPart();

// `declarations` with its written part replaced by typeDeclarationsPart(),
// or nothing when it has no marker lines.
std::optional<std::string> rewriteTypeDeclarations(const std::string& declarations);

}  // namespace commandref
