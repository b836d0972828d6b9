// The commands' one description and what follows from it: the dispatcher's
// lookup, the argument checks, the client library's callback positions and
// the committed reference and type declarations.
#include "bridge/commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "bridge/command_table.h"
#include "bridge/protocol/cmd_exception.h"
#include "tools/commandref/client_library.h"
#include "tools/commandref/command_reference.h"
#include "tools/commandref/type_declarations.h"

namespace bridge {
namespace {

std::string sourceFile(const std::string& path) {
  std::ifstream file(std::string(PAGESHELL_SOURCE_DIR) + "/" + path, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

// A request for `command` with "x" for every argument and `text` for the one
// at `index`.
Json::Value requestWith(const CommandDescription& command, std::size_t index,
                        const std::string& text) {
  Json::Value request(Json::arrayValue);
  request.append(kProtocolVersion);
  request.append("test");
  request.append(command.name);
  for (std::size_t i = 0; i < command.arguments.size(); ++i) {
    request.append(i == index ? Json::Value(text.data(), text.data() + text.size()) : "x");
  }
  return request;
}

// The message checkArguments throws, or "" when it accepts the request.
std::string refusal(const CommandDescription& command, const Json::Value& request) {
  try {
    checkArguments(command, Request(request));
    return "";
  } catch (const CmdException& e) {
    return e.message();
  }
}

TEST(CommandDescription, EveryCommandIsFoundByItsExactNameAndOnlyOnce) {
  std::set<std::string> names;
  for (const CommandDescription& command : kCommands) {
    EXPECT_TRUE(names.insert(command.name).second) << command.name << " is described twice";
    const CommandRow* row = findCommand(command.name);
    ASSERT_NE(row, nullptr) << command.name;
    EXPECT_EQ(row->description, &command);
  }
  EXPECT_EQ(findCommand("Version"), nullptr) << "names are case-sensitive";
  EXPECT_EQ(findCommand(""), nullptr);
}

// Only a request of a command that draws the page waits for the page's
// copy: any other request, even one whose texts name such a command, runs at
// once, and an unreadable one is answered as usual.
TEST(CommandDescription, OnlyRequestsOfCommandsThatDrawThePageAreRecognisedAsSuch) {
  const std::string head = std::string("[\"") + kProtocolVersion + "\", \"app\", ";
  EXPECT_TRUE(drawsThePage(head + "\"printPreview\"]"));
  EXPECT_TRUE(drawsThePage(head + "\"printPreview\", \"" + std::string(1000, 'x') + "\"]"));
  EXPECT_FALSE(drawsThePage(head + "\"log\", \"printPreview\"]"));
  EXPECT_FALSE(drawsThePage(head + "\"printPreviewer\"]"));
  EXPECT_FALSE(drawsThePage(head + "\"generatePdfPreview\", \"{}\"]"));
  EXPECT_FALSE(drawsThePage(head + "\"printPreview\""));
  EXPECT_FALSE(drawsThePage("printPreview"));
  EXPECT_FALSE(drawsThePage(head + std::string(100000, '[') + "\"printPreview\""));
}

TEST(CommandDescription, AsyncCommandsAndOnlyTheyCarryRecords) {
  for (const CommandDescription& command : kCommands) {
    const bool async = command.mode == Mode::kAsync;
    EXPECT_EQ(async, !command.records.empty()) << command.name;
    if (async) {
      EXPECT_GE(command.callbackPosition(), kFirstArgument) << command.name;
    }
  }
}

TEST(CommandDescription, TheClientLibraryKnowsEveryCallbackPosition) {
  const std::string library = sourceFile("js/pageshell.js");
  const std::optional<std::string> rewritten = commandref::rewriteClientLibrary(library);
  ASSERT_TRUE(rewritten) << "js/pageshell.js has lost the marker lines of its written part";
  EXPECT_TRUE(*rewritten == library)
      << "the callback positions in js/pageshell.js differ from bridge/commands.h; rewrite them "
         "with\n  cmake --build build --target command_reference_docs";
  for (const CommandDescription& command : kCommands) {
    const std::string entry =
        std::string(command.name) + ": " + std::to_string(command.callbackPosition());
    EXPECT_EQ(library.find(entry) != std::string::npos, command.mode == Mode::kAsync)
        << command.name;
  }
}

TEST(CommandDescription, TheCommittedReferenceIsTheOneThePrinterWrites) {
  EXPECT_TRUE(sourceFile("docs/commands.md") == commandref::commandReference())
      << "docs/commands.md differs from bridge/commands.h; rewrite it with\n"
         "  cmake --build build --target command_reference_docs";
}

TEST(CommandDescription, TheCommittedTypeDeclarationsAreTheOnesThePrinterWrites) {
  const std::string declarations = sourceFile("js/pageshell.d.ts");
  const std::optional<std::string> rewritten = commandref::rewriteTypeDeclarations(declarations);
  ASSERT_TRUE(rewritten) << "js/pageshell.d.ts has lost the marker lines of its written part";
  EXPECT_TRUE(*rewritten == declarations)
      << "js/pageshell.d.ts differs from bridge/commands.h; rewrite it with\n"
         "  cmake --build build --target command_reference_docs";
  const std::string part = commandref::typeDeclarationsPart();
  for (const CommandDescription& command : kCommands) {
    EXPECT_NE(part.find("  " + std::string(command.name) + ": {\n"), std::string::npos)
        << command.name;
  }
  // Answers and records keep their literal texts and turn named values
  // into strings and a described rest into any number of strings.
  EXPECT_NE(part.find("answer: [\"OK\", string, ...string[]];"), std::string::npos);
  EXPECT_NE(part.find("| [string, \"pass\", \"error\", \"Nie można zapisać elementu.\"]"),
            std::string::npos);
  EXPECT_NE(part.find("arguments: [url?: string, extension?: string];\n    payload: [string];"),
            std::string::npos)
      << "start() leaves the callback identifier out";
}

// Texts with Polish letters, inside quotes or whole, in what the commands
// answer and report.
std::vector<std::string> polishTexts(const CommandDescription& command) {
  auto polish = [](const std::string& text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return (c & 0x80) != 0; });
  };
  std::vector<std::string> texts;
  for (const char* error : command.errors) {
    if (polish(error)) texts.push_back(error);
  }
  for (const auto& record : command.records) {
    const std::string shape = record.shape;
    for (std::size_t open = shape.find('"'); open != std::string::npos;) {
      const std::size_t close = shape.find('"', open + 1);
      const std::string quoted = shape.substr(open + 1, close - open - 1);
      if (polish(quoted)) texts.push_back(quoted);
      open = shape.find('"', close + 1);
    }
  }
  return texts;
}

TEST(CommandDescription, EveryPolishTextHasItsMeaningInTheReference) {
  const std::string reference = commandref::commandReference();
  std::size_t named = 0;
  for (const CommandDescription& command : kCommands) {
    for (const std::string& text : polishTexts(command)) {
      ++named;
      const char* meaning = polishMeaning(text);
      ASSERT_NE(meaning, nullptr) << command.name << ": \"" << text
                                  << "\" has no meaning in kPolishMessages";
      EXPECT_NE(reference.find("| " + text + " | "), std::string::npos) << text;
    }
  }
  EXPECT_GE(named, 6u) << "the zip and TCP commands name their Polish texts";
  EXPECT_NE(reference.find("- Nie można rozpakować elementu. (Cannot unpack the member"),
            std::string::npos)
      << "a command's error list gives the meaning where it names the text";
}

TEST(ArgumentChecks, ANulIsRefusedInEveryPathAndIdentifierAndKeptElsewhere) {
  const std::string withNul("ab\0cd", 5);
  for (const CommandDescription& command : kCommands) {
    for (std::size_t i = 0; i < command.arguments.size(); ++i) {
      const auto& argument = command.arguments[i];
      const std::string expected =
          refusesNul(argument.kind) ? "NUL byte in a path or name [ab]" : "";
      EXPECT_EQ(refusal(command, requestWith(command, i, withNul)), expected)
          << command.name << " " << argument.name;
    }
  }
}

TEST(ArgumentChecks, ElementsWithoutTextAreRefusedWhereTheyAreArguments) {
  const CommandDescription& saveFile = describedCommand("saveFile");
  Json::Value request = requestWith(saveFile, 0, "a.txt");
  EXPECT_EQ(refusal(saveFile, request), "");
  request.append(Json::Value(Json::arrayValue));
  EXPECT_EQ(refusal(saveFile, request), "") << "past the last argument nothing is read";
  request[4] = Json::Value(Json::objectValue);
  EXPECT_EQ(refusal(saveFile, request), "Type is not convertible to string");
  request[4] = 42;
  request[3] = 7;
  EXPECT_EQ(refusal(saveFile, request), "") << "numbers are texts";
  request.resize(3);
  EXPECT_EQ(refusal(saveFile, request), "") << "missing arguments are empty";
}

TEST(ArgumentChecks, ARepeatedArgumentIsCheckedAtEveryPosition) {
  const CommandDescription& execute = describedCommand("sqliteExecute");
  Json::Value request = requestWith(execute, 2, "CREATE TABLE t (a)");
  request.append(std::string("SELECT '\0'", 11));
  EXPECT_EQ(refusal(execute, request), "") << "SQL is content";
  request.append(Json::Value(Json::arrayValue));
  EXPECT_EQ(refusal(execute, request), "Type is not convertible to string");
}

}  // namespace
}  // namespace bridge
