#include "tools/commandref/command_calls.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <iterator>
#include <stdexcept>
#include <string_view>

#include "bridge/commands.h"

namespace commandref {
namespace {

using bridge::CommandDescription;

// C++'s keywords, each between two blanks.
constexpr std::string_view kKeywords =
    " alignas alignof and and_eq asm auto bitand bitor bool break case catch char char8_t "
    "char16_t char32_t class compl concept const consteval constexpr constinit const_cast "
    "continue co_await co_return co_yield decltype default delete do double dynamic_cast else "
    "enum explicit export extern false float for friend goto if inline int long mutable "
    "namespace new noexcept not not_eq nullptr operator or or_eq private protected public "
    "register reinterpret_cast requires return short signed sizeof static static_assert "
    "static_cast struct switch template this thread_local throw true try typedef typeid "
    "typename union unsigned using virtual void volatile wchar_t while xor xor_eq ";

// What a call already answers to (bridge/command_call.h).
constexpr const char* kCallMembers[] = {
    "request",      "text",    "cmdState",   "page",     "window",
    "dialogParent", "channel", "answerWith", "kCommand",
};

bool isCallMember(std::string_view name) {
  return std::any_of(std::begin(kCallMembers), std::end(kCallMembers),
                     [name](const char* member) { return name == member; });
}

bool isIdentifier(std::string_view name) {
  if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0]))) return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
  });
}

std::optional<std::string> unusable(std::string_view name) {
  if (!isIdentifier(name)) return "is no C++ identifier";
  if (kKeywords.find(" " + std::string(name) + " ") != std::string_view::npos) {
    return "is a C++ keyword";
  }
  return std::nullopt;
}

std::string typeName(const CommandDescription& command) {
  std::string name = command.name;
  name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
  return name;
}

void writeArguments(std::string& out, const CommandDescription& command, std::size_t index) {
  const std::string type = typeName(command);
  out += "// " + std::string(command.name) + ": " + command.does + "\n";
  out += "class " + type + "Arguments : public CommandArguments {\n public:\n";
  out += "  static constexpr const CommandDescription& kCommand = kCommands[" +
         std::to_string(index) + "];\n";
  out += "  using CommandArguments::CommandArguments;\n";
  for (std::size_t i = 0; i < command.arguments.size(); ++i) {
    const std::string position = std::to_string(bridge::kFirstArgument + i);
    const std::string name = command.arguments[i].name;
    if (command.lastRepeats && i + 1 == command.arguments.size()) {
      out += "  RepeatedArgument " + name + "() const { return {request(), " + position + "}; }\n";
    } else {
      out += "  const std::string& " + name + "() const { return text(" + position + "); }\n";
    }
  }
  out += "};\nusing " + type + "Call = Call<" + type + "Arguments>;\n";
  out += "Answer " + std::string(command.name) + "(" + type + "Call& call);\n\n";
}

}  // namespace

std::optional<std::string> unusableName(const CommandDescription& command) {
  if (auto reason = unusable(command.name)) return "the command's name " + *reason;
  for (std::size_t i = 0; i < command.arguments.size(); ++i) {
    const char* name = command.arguments[i].name;
    const std::string argument = "the argument " + std::string(name) + " ";
    if (auto reason = unusable(name)) return argument + *reason;
    if (isCallMember(name)) return argument + "is a name every call has";
    for (std::size_t j = 0; j < i; ++j) {
      if (std::strcmp(command.arguments[j].name, name) == 0) return argument + "comes twice";
    }
  }
  return std::nullopt;
}

std::string commandCalls() {
  std::string out =
      "// Written by tools/commandref from bridge/commands.h; bridge/command_call.h\n"
      "// tells what it holds.\n"
      "#pragma once\n\n#include <string>\n\n"
      "#include \"bridge/command_call.h\"\n#include \"bridge/commands.h\"\n\n";
  std::string handlers;
  for (std::size_t i = 0; i < std::size(bridge::kCommands); ++i) {
    const CommandDescription& command = bridge::kCommands[i];
    if (auto reason = unusableName(command)) {
      throw std::invalid_argument(std::string(command.name) + ": " + *reason);
    }
    const std::string family = bridge::familyName(command.family);
    out += "namespace bridge::" + family + " {\n\n";
    writeArguments(out, command, i);
    out += "}  // namespace bridge::" + family + "\n\n";
    handlers += "    runCall<" + family + "::" + typeName(command) + "Call, " + family +
                "::" + command.name + ">,\n";
  }
  return out +
         "namespace bridge {\n\n"
         "// The handler of each described command, in the description's order.\n"
         "inline constexpr CommandHandler kHandlers[] = {\n" +
         handlers + "};\n\n}  // namespace bridge\n";
}

}  // namespace commandref
