#include "tools/commandref/command_reference.h"

#include <cctype>
#include <string>

#include "bridge/commands.h"

namespace commandref {
namespace {

using bridge::ArgumentKind;
using bridge::CommandDescription;

constexpr char kBuildTag[] = "my-app-1.0";

constexpr char kIntroduction[] = R"(# Commands

<!-- Written by tools/commandref from bridge/commands.h; do not edit here.
     `cmake --build build --target command_reference_docs` rewrites it. -->

Page script drives the shell through `myObject`: it writes a request into
`myObject.command` and reads the answer from `myObject.result` right after.
This is every command; names are case-sensitive. `js/pageshell.js` wraps
the protocol (`pageshell.call`, `pageshell.start`).

## Requests

A request is a JSON array: `[protocol version, page build tag, command,
arguments...]`. The protocol version must be "1.0.3.20150320"; any other
makes every request answer `["BADVERSION", "1.0.3.20150320"]`, and nothing
runs. The build tag is only written to the log.

Every element is read as text by one rule, so numbers travel as text:

| element | read as |
|---|---|
| string | its bytes (UTF-8) |
| null, or a position past the end | "" |
| integer | decimal: `42` is "42", `-7` is "-7" |
| real | six decimals with a point: `1.5` is "1.500000" |
| `true`, `false` | "true", "false" |
| array, object | refused: `["ERROR", "Type is not convertible to string"]` |

A command sent with too few arguments runs with "" for the missing ones;
elements past its last argument are not read.

### Argument kinds

| kind | what the shell does with it |
|---|---|
| text | any text |
| path or name | a path, a file or host name, a URL or a program argument, used as the page gives it: a relative path starts in the shell's working folder. The system reads such a name only up to a NUL byte, so a NUL is refused: `["ERROR", "NUL byte in a path or name [text before the NUL]"]` |
| integer text | a number in decimal; each command says how it reads a text that is no number |
| callback identifier | the first element of each record the command sends; a NUL is refused as in a path |
| content | bytes taken whole, NUL bytes included |

Every argument is checked against its kind before the command starts, so a
refused request has changed nothing and, for an asynchronous command, has
started nothing.

Paths are joined as they are: the database commands put the directory and
the file name together with no separator (pass "db/" and "app.sqlite", not
"db" and "app.sqlite"); `generatePdf` puts "/" between its directory and the
file name.

## Answers

An answer is a JSON array of strings. Its first element is the status:
"OK", "ERROR" or "BADVERSION". The second element is

- after "OK", the command's first value: a path, a file name, a content, a
  state (each command below gives it); some commands answer "OK" alone;
- after "ERROR", the message (`getKnownPath` alone answers a bare
  `["ERROR"]`);
- after "BADVERSION", the shell's protocol version.

The text of answers and records is UTF-8, in the layout of a styled JSON
writer (short arrays on one line). A value's bytes that are not UTF-8, such
as a BLOB's or a Latin-1 file's, arrive as U+FFFD, one for each such byte.

Some texts are in Polish, as pages have always received them and match on
them; [Polish messages](#polish-messages) at the end gives each one's
meaning in English.

In the error texts below, a word such as path, host, port, sql or reason
stands for that value of the call: "Cannot save [notes.txt]: Permission
denied" is the text "Cannot save [path]: reason".

Besides its own error texts, any command may answer

- "Command not found [name]", for a name that is not in this list;
- "Type is not convertible to string" and "NUL byte in a path or name [...]"
  (above);
- "No window", for a command that needs the window when there is none;
- "answer too large [more than 536869888 bytes]", for an answer the page
  could not be handed;
- "request nested too deeply", for a request nested past the reader's limit;
- "request is not a JSON array: " and what the text is instead ("empty
  text", "not JSON at byte 4: " and the reader's message, "an object", ...),
  or "request is an empty array", for a text that is no request.

## Records

An asynchronous command answers at once and reports later by calling the
page function `WebBrowserUtil_callback(record)`, where `record` is an array
of strings `[callback identifier, "pass", event, values...]`. The
identifier is the one the page sent, at the command's callback position, so
that the page can tell its calls apart. Each command lists its records in
the order in which they can come; every call ends with exactly one last
record.

)";

std::string lower(const std::string& text) {
  std::string result = text;
  for (char& c : result) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return result;
}

// Text for a Markdown table cell.
std::string cell(const std::string& text) {
  std::string result;
  for (char c : text) {
    if (c == '|') result += '\\';
    result += c;
  }
  return result;
}

const char* kindName(ArgumentKind kind) {
  switch (kind) {
    case ArgumentKind::kText: return "text";
    case ArgumentKind::kPath: return "path or name";
    case ArgumentKind::kInteger: return "integer text";
    case ArgumentKind::kCallbackId: return "callback identifier";
    case ArgumentKind::kContent: return "content";
  }
  return "";
}

bool isAsync(const CommandDescription& command) { return command.mode == bridge::Mode::kAsync; }

std::string requestShape(const CommandDescription& command) {
  std::string shape = "[\"1.0.3.20150320\", build, \"" + std::string(command.name) + "\"";
  for (const auto& argument : command.arguments) shape += ", " + std::string(argument.name);
  if (command.lastRepeats) shape += ", ...";
  return shape + "]";
}

std::string exampleRequest(const CommandDescription& command) {
  std::string request =
      "[\"1.0.3.20150320\", \"" + std::string(kBuildTag) + "\", \"" + command.name + "\"";
  if (*command.exampleArguments != '\0') request += ", " + std::string(command.exampleArguments);
  return request + "]";
}

void writeIndex(std::string& out) {
  out += "## The commands\n\n| # | command | family | mode | arguments |\n|---|---|---|---|---|\n";
  int order = 0;
  for (const CommandDescription& command : bridge::kCommands) {
    std::string arguments;
    for (const auto& argument : command.arguments) {
      if (!arguments.empty()) arguments += ", ";
      arguments += argument.name;
    }
    if (command.lastRepeats) arguments += ", ...";
    out += "| " + std::to_string(++order) + " | [" + command.name + "](#" + lower(command.name) +
           ") | " + bridge::familyName(command.family) + " | " +
           (isAsync(command) ? "async" : "sync") + " | " + arguments + " |\n";
  }
  out += "\n";
}

void writeArguments(std::string& out, const CommandDescription& command) {
  if (command.arguments.empty()) {
    out += "No arguments.\n\n";
    return;
  }
  out += "| position | argument | kind | |\n|---|---|---|---|\n";
  for (std::size_t i = 0; i < command.arguments.size(); ++i) {
    const auto& argument = command.arguments[i];
    const bool repeats = command.lastRepeats && i + 1 == command.arguments.size();
    out += "| " + std::to_string(bridge::kFirstArgument + i) + (repeats ? " and on" : "") + " | " +
           argument.name + " | " + kindName(argument.kind) + " | " + cell(argument.about) + " |\n";
  }
  out += "\n";
}

void writeCommand(std::string& out, const CommandDescription& command) {
  out += "### " + std::string(command.name) + "\n\n" + command.does + "\n\n";
  out += std::string(bridge::familyName(command.family)) + ", " +
         (isAsync(command) ? "asynchronous" : "synchronous");
  if (isAsync(command)) {
    out += "; callback identifier at position " + std::to_string(command.callbackPosition());
  }
  out += ".\n\nRequest: `" + requestShape(command) + "`\n\n";
  writeArguments(out, command);
  out += "Answer: `" + std::string(command.answer) + "`";
  if (*command.answerNote != '\0') out += ": " + std::string(command.answerNote);
  out += "\n\n";
  if (!command.records.empty()) {
    out += "Records, in the order they can come:\n\n| record | when |\n|---|---|\n";
    for (const auto& record : command.records) {
      out += "| `" + cell(record.shape) + "` | " + cell(record.when) + " |\n";
    }
    out += "\n";
  }
  if (!command.errors.empty()) {
    out += isAsync(command) ? "Error texts (in the \"error\" record):\n\n" : "Error texts:\n\n";
    for (const char* error : command.errors) {
      const char* meaning = bridge::polishMeaning(error);
      out += "- " + std::string(error) + (meaning ? " (" + std::string(meaning) + ")" : "") + "\n";
    }
    out += "\n";
  }
  if (!command.refusals.empty()) {
    out += "Refused at once, as `[\"ERROR\", message]` with no record to follow:\n\n";
    for (const char* refusal : command.refusals) out += "- " + std::string(refusal) + "\n";
    out += "\n";
  }
  out +=
      "Example:\n\n```\n" + exampleRequest(command) + "\n→ " + command.exampleAnswer + "\n```\n\n";
}

void writePolishMessages(std::string& out) {
  out += "## Polish messages\n\n"
         "The texts are answered exactly as written here, the words in brackets standing for "
         "their values.\n\n"
         "| text | answered by | meaning |\n|---|---|---|\n";
  for (const bridge::MessageMeaning& message : bridge::kPolishMessages) {
    out += "| " + cell(message.text) + " | " + cell(message.answeredBy) + " | " +
           cell(message.meaning) + " |\n";
  }
  out += "\n";
}

}  // namespace

std::string commandReference() {
  std::string out = kIntroduction;
  writeIndex(out);
  for (const CommandDescription& command : bridge::kCommands) writeCommand(out, command);
  writePolishMessages(out);
  out.pop_back();  // one line feed at the end
  return out;
}

}  // namespace commandref
