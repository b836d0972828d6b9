#include "bridge/cmd_state.h"

#include "bridge/callback.h"
#include "bridge/command_table.h"
#include "bridge/failure.h"

namespace bridge {

CmdState::CmdState() : dbMutex_(std::make_shared<std::mutex>()) {}

CmdState::~CmdState() = default;

namespace {

std::string runCommand(CommandContext& context, const std::string& name) {
  const CommandRow* row = findCommand(name);
  if (row == nullptr) {
    const std::string message = "Command not found [" + name + "]";
    context.state.log(message);
    return writeList(errorAnswer(message));
  }
  checkArguments(*row->description, context.request);
  const Answer answer = row->handler(context);
  if (context.writtenAnswer) return std::move(*context.writtenAnswer);
  return writeList(answer);
}

// The command name for a log line about a failure, which may itself be the
// element that could not be read.
std::string commandNameForLog(const Request& request) {
  try {
    return request.text(kCommandPosition);
  } catch (...) {
    return std::string();
  }
}

}  // namespace

std::string CmdState::dispatch(ShellWindow* window, Page* page, const Request& request) {
  const std::string& version = request.text(kVersionPosition);
  if (version != kProtocolVersion) {
    log("BADVERSION [" + version + " // " + request.text(kBuildTagPosition) + "] vs [" +
        kProtocolVersion + " // " + kShellBuildTag + "]");
    return writeList(badVersionAnswer());
  }
  CommandContext context{*this, window, page, request};
  return runCommand(context, request.text(kCommandPosition));
}

std::string CmdState::runRequest(ShellWindow* window, Page* page, std::string_view text) {
  std::optional<Request> request;
  std::string failure;
  try {
    request = parseRequest(text);
    // Answered, so that the page never reads an earlier answer as this one's.
    if (!request) return writeList(errorAnswer(notARequest(text)));
    return dispatch(window, page, *request);
  } catch (...) {
    failure = currentFailure();
  }
  log("Command failed [" + (request ? commandNameForLog(*request) : std::string()) +
      "]: " + failure);
  return writeList(errorAnswer(failure));
}

void CmdState::notifyExit(const std::string& listener, Page* page) {
  deliverCallback(page, {listener, "pass", "run"});
}

void CmdState::log(const std::string& message) { logFile_.write(message); }

}  // namespace bridge
