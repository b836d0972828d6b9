#include "tools/commandref/client_library.h"

#include "bridge/commands.h"
#include "tools/commandref/written_part.h"

namespace commandref {
namespace {

constexpr char kFirstLine[] = "  // Written by tools/commandref from bridge/commands.h;";
constexpr char kLastLine[] = "  // End of the part written by tools/commandref.\n";

}  // namespace

std::string clientLibraryPart() {
  std::string positions;
  for (const bridge::CommandDescription& command : bridge::kCommands) {
    if (command.mode != bridge::Mode::kAsync) continue;
    if (!positions.empty()) positions += ",\n";
    positions +=
        "    " + std::string(command.name) + ": " + std::to_string(command.callbackPosition());
  }
  return std::string(kFirstLine) +
         "\n"
         "  // `cmake --build build --target command_reference_docs` rewrites it.\n"
         "  // The request position of each background command's callback identifier.\n"
         "  var CALLBACK_POSITION = {\n" +
         positions + "\n  };\n" + kLastLine;
}

std::optional<std::string> rewriteClientLibrary(const std::string& library) {
  return replaceWrittenPart(library, kFirstLine, kLastLine, clientLibraryPart());
}

}  // namespace commandref
