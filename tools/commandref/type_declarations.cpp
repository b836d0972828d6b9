#include "tools/commandref/type_declarations.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "bridge/commands.h"
#include "tools/commandref/written_part.h"

namespace commandref {
namespace {

using bridge::ArgumentKind;
using bridge::CommandDescription;

constexpr char kFirstLine[] = "// Written by tools/commandref from bridge/commands.h;";
constexpr char kLastLine[] = "// End of the part written by tools/commandref.\n";

std::string trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The elements of a shape such as ["OK", fileName, values...], split at the
// commas outside quoted texts.
std::vector<std::string> elements(const std::string& shape) {
  std::vector<std::string> result;
  if (shape.size() < 2 || shape.front() != '[' || shape.back() != ']') return result;
  std::string current;
  bool quoted = false;
  bool escaped = false;
  for (char c : shape.substr(1, shape.size() - 2)) {
    if (quoted) {
      if (escaped) {
        escaped = false;
      } else if (c == '\\') {
        escaped = true;
      } else if (c == '"') {
        quoted = false;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      result.push_back(trimmed(current));
      current.clear();
      continue;
    }
    current += c;
  }
  result.push_back(trimmed(current));
  return result;
}

bool isIdentifier(const std::string& text) {
  return !text.empty() && !std::isdigit(static_cast<unsigned char>(text[0])) &&
         std::all_of(text.begin(), text.end(), [](char c) {
           return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
         });
}

bool isQuoted(const std::string& text) {
  return text.size() >= 2 && text.front() == '"' && text.back() == '"';
}

// The tuple type of a shape's elements from `from` on: a quoted text is its
// literal type (JSON's string syntax is TypeScript's), a named value or a
// sum such as "R" + code a string; "values...", "...", a name repeated as in
// "name, name, ..." or words that describe the rest make the rest any number
// of strings.
std::string tupleType(const std::vector<std::string>& items, std::size_t from) {
  if (items.empty()) return "string[]";
  std::string type = "[";
  for (std::size_t i = from; i < items.size(); ++i) {
    if (i > from) type += ", ";
    const std::string& item = items[i];
    const bool repeated = i > from && item == items[i - 1];
    if (isQuoted(item)) {
      type += item;
    } else if (!repeated && (isIdentifier(item) || item.find('+') != std::string::npos)) {
      type += "string";
    } else {
      type += "...string[]";
      break;
    }
  }
  return type + "]";
}

// What start()'s Promise gives: the values after the event of a "finish"
// record, or after the "OK" of a record that reports a command's answer.
std::vector<std::string> payloadTypes(const CommandDescription& command) {
  std::vector<std::string> types;
  for (const auto& record : command.records) {
    const std::vector<std::string> items = elements(record.shape);
    std::string type;
    if (items.size() > 3 && items[2] == "\"finish\"") type = tupleType(items, 3);
    if (items.size() > 3 && items[3] == "\"OK\"") type = tupleType(items, 4);
    if (!type.empty() && std::find(types.begin(), types.end(), type) == types.end()) {
      types.push_back(type);
    }
  }
  return types;
}

std::vector<std::string> recordTypes(const CommandDescription& command) {
  std::vector<std::string> types;
  for (const auto& record : command.records) {
    const std::string type = tupleType(elements(record.shape), 0);
    if (std::find(types.begin(), types.end(), type) == types.end()) types.push_back(type);
  }
  return types;
}

// The shell reads every element as text; a number is read in decimal,
// which the integer arguments are meant for.
const char* argumentType(ArgumentKind kind) {
  return kind == ArgumentKind::kInteger ? "string | number" : "string";
}

// A labelled tuple of the arguments: each may be left out, as the shell
// reads a missing one as "". Without the callback identifier for start(),
// which puts it in.
std::string argumentsType(const CommandDescription& command, bool withCallbackId) {
  std::string type = "[";
  for (std::size_t i = 0; i < command.arguments.size(); ++i) {
    const auto& argument = command.arguments[i];
    if (!withCallbackId && argument.kind == ArgumentKind::kCallbackId) continue;
    if (type.size() > 1) type += ", ";
    const bool repeats = command.lastRepeats && i + 1 == command.arguments.size();
    if (repeats) {
      const std::string element = argumentType(argument.kind);
      type += "..." + std::string(argument.name) + ": " +
              (element.find('|') == std::string::npos ? element : "(" + element + ")") + "[]";
    } else {
      type += std::string(argument.name) + "?: " + argumentType(argument.kind);
    }
  }
  return type + "]";
}

std::string unionOf(const std::vector<std::string>& types, const std::string& indent) {
  if (types.empty()) return " never";
  if (types.size() == 1) return " " + types[0];
  std::string result;
  for (const std::string& type : types) result += "\n" + indent + "| " + type;
  return result;
}

// A documentation comment's text, safe inside /** */.
std::string commentText(const std::string& text) {
  std::string result;
  for (std::size_t i = 0; i < text.size(); ++i) {
    result += text[i];
    if (text[i] == '*' && i + 1 < text.size() && text[i + 1] == '/') result += '\\';
  }
  return result;
}

void writeComment(std::string& out, const CommandDescription& command) {
  out += "  /**\n   * " + commentText(command.does) + "\n   *\n";
  for (const auto& argument : command.arguments) {
    out += "   * - " + std::string(argument.name) + ": " + commentText(argument.about) + "\n";
  }
  if (!command.arguments.empty()) out += "   *\n";
  out += "   * Answer " + commentText(command.answer);
  if (*command.answerNote != '\0') out += ": " + commentText(command.answerNote);
  out += "\n";
  for (const char* error : command.errors) {
    const char* meaning = bridge::polishMeaning(error);
    out += "   * @throws ShellError " + commentText(error) +
           (meaning ? " (" + commentText(meaning) + ")" : "") + "\n";
  }
  out += "   */\n";
}

}  // namespace

std::string typeDeclarationsPart() {
  std::string out = std::string(kFirstLine) +
                    "\n"
                    "// `cmake --build build --target command_reference_docs` rewrites it.\n\n"
                    "/** Every command: the arguments after its name and its answer when it is "
                    "\"OK\". */\n"
                    "export interface Commands {\n";
  for (const CommandDescription& command : bridge::kCommands) {
    writeComment(out, command);
    out += "  " + std::string(command.name) + ": {\n    arguments: " +
           argumentsType(command, true) + ";\n    answer: " +
           tupleType(elements(command.answer), 0) + ";\n  };\n";
  }
  out +=
      "}\n\n"
      "/**\n"
      " * The background commands: the arguments start() takes (it puts in the callback\n"
      " * identifier), what its Promise gives and every record the command sends.\n"
      " */\n"
      "export interface BackgroundCommands {\n";
  for (const CommandDescription& command : bridge::kCommands) {
    if (command.mode != bridge::Mode::kAsync) continue;
    out += "  " + std::string(command.name) + ": {\n    arguments: " +
           argumentsType(command, false) +
           ";\n    payload:" + unionOf(payloadTypes(command), "      ") +
           ";\n    records:" + unionOf(recordTypes(command), "      ") + ";\n  };\n";
  }
  return out + "}\n" + kLastLine;
}

std::optional<std::string> rewriteTypeDeclarations(const std::string& declarations) {
  return replaceWrittenPart(declarations, kFirstLine, kLastLine, typeDeclarationsPart());
}

}  // namespace commandref
