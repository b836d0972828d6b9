#include "bridge/command_table.h"

#include <QWidget>

#include <algorithm>
#include <iterator>
#include <string_view>
#include <unordered_map>

#include "bridge/cmd_state.h"
#include "bridge/commands.h"
#include "bridge/database/database.h"
#include "bridge/desktop/desktop.h"
#include "bridge/exit_request.h"
#include "bridge/network/network.h"
#include "bridge/print/print.h"
#include "bridge/protocol/cmd_exception.h"
#include "bridge/shell_window.h"
#include "bridge/zip/zip_commands.h"

namespace bridge {
namespace {

constexpr Argument kLogMessage = describedArgument("log", "message");

Answer runLog(CommandContext& context) {
  context.state.log(context.arg(kLogMessage));
  return okAnswer();
}

// The quit is queued: this answer still reaches `result` before the loop ends.
// Exit listeners are not consulted.
Answer runExit(CommandContext&) {
  requestExit(0);
  return okAnswer();
}

Answer runVersion(CommandContext&) { return okAnswer(kProtocolVersion, kShellBuildTag); }

// A handler is taken by reference, so that no row can be without one.
constexpr CommandRow row(std::string_view name, Answer (&handler)(CommandContext&)) {
  return {&describedCommand(name), &handler};
}

constexpr CommandRow kRows[] = {
    row("log", runLog),
    row("exit", runExit),
    row("shellExecute", desktop::shellExecute),
    row("sqliteOpen", database::sqliteOpen),
    row("sqliteAsyncExecute", database::sqliteAsyncExecute),
    row("sqliteExecute", database::sqliteExecute),
    row("sqliteExecuteFile", database::sqliteExecuteFile),
    row("sqliteAsyncQuery", database::sqliteAsyncQuery),
    row("sqliteQuery", database::sqliteQuery),
    row("sqliteAsyncExecuteBound", database::sqliteAsyncExecuteBound),
    row("sqliteExecuteBound", database::sqliteExecuteBound),
    row("sqliteAsyncQueryBound", database::sqliteAsyncQueryBound),
    row("sqliteQueryBound", database::sqliteQueryBound),
    row("getKnownPath", desktop::getKnownPath),
    row("setTitle", desktop::setTitle),
    row("setWindowState", desktop::setWindowState),
    row("getWindowState", desktop::getWindowState),
    row("ajaxToFile", network::ajaxToFile),
    row("unzipToFile", zip::unzipToFile),
    row("getZipDir", zip::getZipDir),
    row("getZipEntry", zip::getZipEntry),
    row("setTaskbarState", desktop::setTaskbarState),
    row("addExitListener", desktop::addExitListener),
    row("removeExitListener", desktop::removeExitListener),
    row("printPreview", print::printPreview),
    row("generatePdf", print::generatePdf),
    row("generatePdfPreview", print::generatePdfPreview),
    row("saveFile", desktop::saveFile),
    row("loadFile", desktop::loadFile),
    row("showFileDialog", desktop::showFileDialog),
    row("showDirectoryDialog", desktop::showDirectoryDialog),
    row("tcpPush", network::tcpPush),
    row("version", runVersion),
};

constexpr bool followsDescription() {
  if (std::size(kRows) != std::size(kCommands)) return false;
  for (std::size_t i = 0; i < std::size(kRows); ++i) {
    if (kRows[i].description != &kCommands[i]) return false;
  }
  return true;
}
static_assert(followsDescription(),
              "the table has one row for each described command, in its order");

}  // namespace

ShellWindow& CommandContext::shell() const {
  auto* found = dynamic_cast<ShellWindow*>(window);
  if (found == nullptr) throw CmdException("No window");
  return *found;
}

const CommandRow* findCommand(const std::string& name) {
  static const auto* const index = [] {
    auto* rows = new std::unordered_map<std::string_view, const CommandRow*>;
    for (const CommandRow& entry : kRows) rows->emplace(entry.description->name, &entry);
    return rows;
  }();
  const auto found = index->find(name);
  return found == index->end() ? nullptr : found->second;
}

void checkArguments(const CommandDescription& command, const Request& request) {
  const std::size_t described = command.arguments.size();
  if (described == 0) return;
  for (std::size_t position = kFirstArgument; position < request.size(); ++position) {
    const std::size_t index = position - kFirstArgument;
    if (index >= described && !command.lastRepeats) return;
    const ArgumentDescription& argument = command.arguments[std::min(index, described - 1)];
    request.checkText(position, refusesNul(argument.kind));
  }
}

}  // namespace bridge
