#include "bridge/cmd_state.h"

#include <exception>

#include "bridge/callback.h"
#include "bridge/cmd_exception.h"
#include "bridge/command_table.h"
#include "runtime/ansi_string.h"
#include "runtime/exception.h"

namespace bridge {

CmdState::CmdState() : dbMutex_(std::make_shared<std::mutex>()) {}

CmdState::~CmdState() = default;

namespace {

Answer runCommand(CommandContext& context, const std::string& name) {
  const CommandRow* row = findCommand(name);
  if (row == nullptr || row->handler == nullptr) {
    const std::string message = "Command not found [" + name + "]";
    context.state.log(message);
    return {"ERROR", message};
  }
  return row->handler(context);
}

// The command name for a log line about a failure, which may itself be the
// element that could not be read.
std::string commandNameForLog(const Json::Value& request) {
  try {
    return elementText(request, kCommandPosition);
  } catch (...) {
    return std::string();
  }
}

}  // namespace

Answer CmdState::dispatch(QWidget* window, QWebPage* page, const Json::Value& request) {
  std::string failure;
  try {
    const std::string version = elementText(request, kVersionPosition);
    if (version != kProtocolVersion) {
      log("BADVERSION [" + version + " // " + elementText(request, kBuildTagPosition) + "] vs [" +
          kProtocolVersion + " // " + kShellBuildTag + "]");
      return {"BADVERSION", kProtocolVersion};
    }
    CommandContext context{*this, window, page, request};
    return runCommand(context, elementText(request, kCommandPosition));
  } catch (const CmdException& e) {
    failure = e.message();
  } catch (const Exception& e) {
    failure = e.Message().str();
  } catch (const AnsiString& thrownText) {  // the runtime's number conversions throw their name
    failure = thrownText.str();
  } catch (const std::exception& e) {
    failure = e.what();
  } catch (...) {
    failure = "unknown failure";
  }
  log("Command failed [" + commandNameForLog(request) + "]: " + failure);
  return {"ERROR", failure};
}

void CmdState::notifyExit(const std::string& listener, QWebPage* page) {
  deliverCallback(page, {listener, "pass", "run"});
}

void CmdState::log(const std::string& message) { logFile_.write(message); }

}  // namespace bridge
