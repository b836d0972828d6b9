#include "bridge/command_table.h"

#include <QWidget>

#include <string_view>
#include <unordered_map>

#include "bridge/cmd_state.h"
#include "bridge/shell_window.h"
#include "bridge/database/database.h"
#include "bridge/desktop/desktop.h"
#include "bridge/exit_request.h"
#include "bridge/protocol/cmd_exception.h"
#include "bridge/network/network.h"
#include "bridge/print/print.h"
#include "bridge/zip/zip_commands.h"

namespace bridge {
namespace {

Answer runLog(CommandContext& context) {
  context.state.log(context.arg(kFirstArgument));
  return okAnswer();
}

// The quit is queued: this answer still reaches `result` before the loop ends.
// Exit listeners are not consulted.
Answer runExit(CommandContext&) {
  requestExit(0);
  return okAnswer();
}

Answer runVersion(CommandContext&) { return {"OK", kProtocolVersion, kShellBuildTag}; }

const CommandRow kCommands[] = {
    {"log", runLog},
    {"exit", runExit},
    {"shellExecute", desktop::shellExecute},
    {"sqliteOpen", database::sqliteOpen},
    {"sqliteAsyncExecute", database::sqliteAsyncExecute},
    {"sqliteExecute", database::sqliteExecute},
    {"sqliteExecuteFile", database::sqliteExecuteFile},
    {"sqliteAsyncQuery", database::sqliteAsyncQuery},
    {"sqliteQuery", database::sqliteQuery},
    {"getKnownPath", desktop::getKnownPath},
    {"setTitle", desktop::setTitle},
    {"setWindowState", desktop::setWindowState},
    {"getWindowState", desktop::getWindowState},
    {"ajaxToFile", network::ajaxToFile},
    {"unzipToFile", zip::unzipToFile},
    {"getZipDir", zip::getZipDir},
    {"getZipEntry", zip::getZipEntry},
    {"setTaskbarState", desktop::setTaskbarState},
    {"addExitListener", desktop::addExitListener},
    {"removeExitListener", desktop::removeExitListener},
    {"printPreview", print::printPreview},
    {"generatePdf", print::generatePdf},
    {"generatePdfPreview", print::generatePdfPreview},
    {"saveFile", desktop::saveFile},
    {"loadFile", desktop::loadFile},
    {"showFileDialog", desktop::showFileDialog},
    {"showDirectoryDialog", desktop::showDirectoryDialog},
    {"tcpPush", network::tcpPush},
    {"version", runVersion},
};

}  // namespace

std::string CommandContext::pathArg(Json::ArrayIndex position) const {
  return pathText(arg(position));
}

ShellWindow& CommandContext::shell() const {
  auto* found = dynamic_cast<ShellWindow*>(window);
  if (found == nullptr) throw CmdException("No window");
  return *found;
}

const CommandRow* findCommand(const std::string& name) {
  static const auto* const index = [] {
    auto* rows = new std::unordered_map<std::string_view, const CommandRow*>;
    for (const CommandRow& row : kCommands) rows->emplace(row.name, &row);
    return rows;
  }();
  const auto found = index->find(name);
  return found == index->end() ? nullptr : found->second;
}

}  // namespace bridge
