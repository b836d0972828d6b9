// What a command's handler is given: its arguments, read by the names its
// description gives them, and the page, window and executor it runs for.
//
// From bridge/commands.h the build writes, for every command, a class of its
// arguments and the declaration of its handler, bridge::<family>::<command>
// (bridge/command_calls.h in the build tree, by tools/commandref):
//
//   namespace bridge::desktop {
//   class SaveFileArguments : public CommandArguments {
//    public:
//     static constexpr const CommandDescription& kCommand = kCommands[27];
//     using CommandArguments::CommandArguments;
//     const std::string& path() const { return text(3); }
//     const std::string& content() const { return text(4); }
//   };
//   using SaveFileCall = Call<SaveFileArguments>;
//   Answer saveFile(SaveFileCall& call);
//   }
//
// A command's family then defines the handler:
//
//   Answer saveFile(SaveFileCall& call) {
//     ... platform::writeWholeFile(call.path(), call.content()) ...
//   }
//
// An argument the description does not name does not compile, and a
// described command without its handler does not link.
//
// GUI thread only: a call lives for one dispatch.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>

#include "bridge/command_description.h"
#include "bridge/protocol/cmd_exception.h"
#include "bridge/protocol/protocol.h"
#include "bridge/shell_window.h"
#include "bridge/worker.h"

class QWidget;

namespace bridge {

class CmdState;
class Page;

// What the dispatcher knows of one request.
struct CommandContext {
  CmdState& state;
  ShellWindow* window;  // the main window; null where the shell runs without one
  Page* page;           // the page that sent the request
  const Request& request;
  // The answer's text, for a command that writes it as it goes: it stands
  // in for what the handler returns.
  std::optional<std::string> writtenAnswer = std::nullopt;
};

// A command's arguments in its request, each read by the text rule
// (request.h). The dispatcher has checked them against their kinds before
// the command starts (checkArguments); a missing one reads as "".
class CommandArguments {
 public:
  explicit CommandArguments(const Request& request) : request_(request) {}

  const Request& request() const { return request_; }

 protected:
  const std::string& text(std::size_t position) const { return request_.text(position); }

 private:
  const Request& request_;
};

// The last argument of a command whose last argument repeats: the elements
// of `request` from `first` on.
struct RepeatedArgument {
  const Request& request;
  std::size_t first;
};

// The channel through which an asynchronous command's worker reports
// (worker.h): records go to `page` with the callback identifier at the
// position the description gives, and failures are logged under the
// command's name.
template <class Arguments>
WorkerChannel workerChannel(Page* page, const Arguments& arguments) {
  constexpr std::size_t position = Arguments::kCommand.callbackPosition();
  static_assert(position != 0, "only a command with a callback identifier has a worker channel");
  return WorkerChannel(page, arguments.request().text(position), Arguments::kCommand.name);
}

// One running command: its arguments (Arguments, written from its
// description) and what it runs for. No argument may take the name of a
// member here; tools/commandref/command_calls.cpp keeps the list.
template <class Arguments>
class Call : public Arguments {
 public:
  explicit Call(CommandContext& context) : Arguments(context.request), context_(context) {}

  CmdState& cmdState() const { return context_.state; }
  Page* page() const { return context_.page; }

  // The main window. Throws CmdException("No window") when there is none.
  ShellWindow& window() const {
    if (context_.window == nullptr) throw CmdException("No window");
    return *context_.window;
  }

  // The parent of a modal dialog the command opens; none without a window.
  QWidget* dialogParent() const {
    return context_.window == nullptr ? nullptr : context_.window->dialogParent();
  }

  WorkerChannel channel() const { return workerChannel(context_.page, *this); }

  // For a command that writes its answer's text as it goes (ListWriter)
  // rather than returning it as a list; the handler then returns {}.
  void answerWith(std::string text) { context_.writtenAnswer = std::move(text); }

 private:
  CommandContext& context_;
};

using CommandHandler = Answer (*)(CommandContext& context);

// The table's entry for the handler of TheCall's command.
template <class TheCall, Answer (*kHandler)(TheCall&)>
Answer runCall(CommandContext& context) {
  TheCall call(context);
  return kHandler(call);
}

}  // namespace bridge
