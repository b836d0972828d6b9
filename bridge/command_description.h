// The shape of a command's description (bridge/commands.h holds them all).
//
// A description says what a page sends, what it gets back and what can go
// wrong. The dispatcher's table, the checking and reading of arguments (the
// handlers' calls, command_call.h), the client library's callback positions
// and docs/commands.md all follow from it. Descriptions are built at compile
// time:
//
//   command("saveFile", Family::kDesktop, Mode::kSync, "Writes a file.")
//       .path("path", "the file to write")
//       .content("content", "the bytes the file comes to hold")
//       .answers(R"(["OK", path])")
//
// Everything here is constant data, safe from any thread.
#pragma once

#include <cstddef>

#include "bridge/protocol/protocol.h"

namespace bridge {

// A family's handlers are bridge::<familyName>::<command name>.
enum class Family { kShell, kDatabase, kDesktop, kZip, kNetwork, kPrint };

constexpr const char* familyName(Family family) {
  switch (family) {
    case Family::kShell: return "shell";
    case Family::kDatabase: return "database";
    case Family::kDesktop: return "desktop";
    case Family::kZip: return "zip";
    case Family::kNetwork: return "network";
    case Family::kPrint: return "print";
  }
  return "";
}

// A sync command does all its work before it answers; an async one answers
// at once and reports through callback records.
enum class Mode { kSync, kAsync };

enum class ArgumentKind {
  kText,        // any text
  kPath,        // a path, a file or host name, a URL or a program argument
  kInteger,     // a number, written as decimal text
  kCallbackId,  // the identifier the command's records carry
  kContent,     // bytes taken whole: file content, SQL, a document, data to send
};

// Kinds whose texts the system reads only up to a NUL byte, so that a NUL
// would make it act on another name than the page gave: such an argument
// with a NUL is refused before the command starts.
constexpr bool refusesNul(ArgumentKind kind) {
  return kind == ArgumentKind::kPath || kind == ArgumentKind::kCallbackId;
}

// A fixed-capacity list filled at compile time; going past its capacity
// does not compile.
template <class T, std::size_t kCapacity>
class DescriptionList {
 public:
  constexpr void add(const T& item) { items_[size_++] = item; }
  constexpr std::size_t size() const { return size_; }
  constexpr bool empty() const { return size_ == 0; }
  constexpr const T& operator[](std::size_t index) const { return items_[index]; }
  constexpr const T* begin() const { return items_; }
  constexpr const T* end() const { return items_ + size_; }

 private:
  T items_[kCapacity] = {};
  std::size_t size_ = 0;
};

struct ArgumentDescription {
  const char* name = "";
  ArgumentKind kind = ArgumentKind::kText;
  const char* about = "";
};

// A callback record's shape and when it comes, e.g.
// {R"([id, "pass", "progress", "0"])", "the worker has started"}.
struct RecordDescription {
  const char* shape = "";
  const char* when = "";
};

struct CommandDescription {
  const char* name = "";
  Family family = Family::kShell;
  Mode mode = Mode::kSync;
  const char* does = "";  // one line on what the command does
  DescriptionList<ArgumentDescription, 6> arguments;
  bool lastRepeats = false;  // the last argument takes every further position too
  const char* answer = "";
  const char* answerNote = "";  // what the answer's values are, where the shape does not say
  DescriptionList<RecordDescription, 8> records;  // in the order they can come
  DescriptionList<const char*, 8> errors;         // texts of the command's own failures
  // Texts of an async command's immediate ["ERROR", text] answers, given
  // when it starts nothing.
  DescriptionList<const char*, 2> refusals;
  const char* exampleArguments = "";
  const char* exampleAnswer = "";
  // The command lays the page itself out for print, which an engine whose
  // page runs in a process of its own cannot do while the page's script
  // waits for the answer.
  bool drawsPage = false;

  // The builder steps, one per line of a description.
  constexpr CommandDescription text(const char* argument, const char* about) const {
    return with(argument, ArgumentKind::kText, about);
  }
  constexpr CommandDescription path(const char* argument, const char* about) const {
    return with(argument, ArgumentKind::kPath, about);
  }
  constexpr CommandDescription integer(const char* argument, const char* about) const {
    return with(argument, ArgumentKind::kInteger, about);
  }
  constexpr CommandDescription callbackId(const char* argument, const char* about) const {
    return with(argument, ArgumentKind::kCallbackId, about);
  }
  constexpr CommandDescription content(const char* argument, const char* about) const {
    return with(argument, ArgumentKind::kContent, about);
  }
  constexpr CommandDescription repeated() const {
    CommandDescription copy = *this;
    copy.lastRepeats = true;
    return copy;
  }
  constexpr CommandDescription answers(const char* shape, const char* note = "") const {
    CommandDescription copy = *this;
    copy.answer = shape;
    copy.answerNote = note;
    return copy;
  }
  constexpr CommandDescription record(const char* shape, const char* when) const {
    CommandDescription copy = *this;
    copy.records.add({shape, when});
    return copy;
  }
  constexpr CommandDescription error(const char* message) const {
    CommandDescription copy = *this;
    copy.errors.add(message);
    return copy;
  }
  // Several errors that commands share, in the list's order.
  template <std::size_t kCount>
  constexpr CommandDescription sharedErrors(const char* const (&messages)[kCount]) const {
    CommandDescription copy = *this;
    for (const char* message : messages) copy.errors.add(message);
    return copy;
  }
  constexpr CommandDescription refusal(const char* message) const {
    CommandDescription copy = *this;
    copy.refusals.add(message);
    return copy;
  }
  constexpr CommandDescription drawsThePage() const {
    CommandDescription copy = *this;
    copy.drawsPage = true;
    return copy;
  }
  constexpr CommandDescription example(const char* arguments, const char* answered) const {
    CommandDescription copy = *this;
    copy.exampleArguments = arguments;
    copy.exampleAnswer = answered;
    return copy;
  }

  // The request position of the callback identifier; 0 when there is none.
  constexpr std::size_t callbackPosition() const {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
      if (arguments[i].kind == ArgumentKind::kCallbackId) {
        return kFirstArgument + static_cast<std::size_t>(i);
      }
    }
    return 0;
  }

 private:
  constexpr CommandDescription with(const char* argument, ArgumentKind kind,
                                    const char* about) const {
    CommandDescription copy = *this;
    copy.arguments.add({argument, kind, about});
    return copy;
  }
};

// A message text in Polish as pages receive it, kept byte for byte because
// pages match on it, and its meaning in English for the reference.
struct MessageMeaning {
  const char* text = "";        // placeholders in brackets, as the error texts write them
  const char* answeredBy = "";  // the commands, and where in their answers
  const char* meaning = "";
};

// The first line of every description.
constexpr CommandDescription command(const char* name, Family family, Mode mode, const char* does) {
  CommandDescription description;
  description.name = name;
  description.family = family;
  description.mode = mode;
  description.does = does;
  return description;
}

}  // namespace bridge
