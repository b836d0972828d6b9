// Writes what follows from the commands' description (bridge/commands.h):
//   command_reference reference [file]  the reference (docs/commands.md), to
//                                       standard output without a file
//   command_reference library <file>    the written part of the client
//                                       library (js/pageshell.js), in place
//   command_reference declarations <file>
//                                       the written part of the library's
//                                       TypeScript declarations
//                                       (js/pageshell.d.ts), in place
//   command_reference calls <file>      the handlers' calls (C++ header); an
//                                       unchanged file is left untouched, so
//                                       that nothing is rebuilt for it
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>

#include "tools/commandref/client_library.h"
#include "tools/commandref/command_calls.h"
#include "tools/commandref/command_reference.h"
#include "tools/commandref/type_declarations.h"

namespace {

std::optional<std::string> readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

int writeFile(const std::string& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << text;
  file.close();
  if (file) return 0;
  std::cerr << "command_reference: cannot write " << path << "\n";
  return 1;
}

// Rewrites the written part of the file at `path`.
int rewriteInPlace(const std::string& path,
                   std::optional<std::string> (*rewrite)(const std::string&)) {
  const std::optional<std::string> text = readFile(path);
  const std::optional<std::string> rewritten = text ? rewrite(*text) : std::nullopt;
  if (!rewritten) {
    std::cerr << "command_reference: no written part in " << path << "\n";
    return 1;
  }
  return writeFile(path, *rewritten);
}

int usage() {
  std::cerr << "usage: command_reference reference [file] | library <file> | "
               "declarations <file> | calls <file>\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  const std::string what = argv[1];
  if (what == "reference") {
    const std::string reference = commandref::commandReference();
    if (argc < 3) {
      std::cout << reference;
      return std::cout.good() ? 0 : 1;
    }
    return writeFile(argv[2], reference);
  }
  if (argc < 3) return usage();
  const std::string path = argv[2];
  if (what == "library") return rewriteInPlace(path, commandref::rewriteClientLibrary);
  if (what == "declarations") return rewriteInPlace(path, commandref::rewriteTypeDeclarations);
  if (what == "calls") {
    try {
      const std::string calls = commandref::commandCalls();
      if (readFile(path) == calls) return 0;
      return writeFile(path, calls);
    } catch (const std::invalid_argument& e) {
      std::cerr << "command_reference: bridge/commands.h: " << e.what() << "\n";
      return 1;
    }
  }
  return usage();
}
