#include "bridge/database/database.h"

#include <functional>
#include <string>
#include <string_view>

#include "bridge/cmd_state.h"
#include "bridge/commands.h"
#include "bridge/database/sqlite_connection.h"
#include "bridge/protocol/cmd_exception.h"
#include "bridge/worker.h"

namespace bridge {
namespace {

// Each command's arguments, by the names its description gives them.
namespace open {
constexpr Argument kDirectory = describedArgument("sqliteOpen", "directory");
constexpr Argument kFileName = describedArgument("sqliteOpen", "fileName");
}  // namespace open
namespace asyncExecute {
constexpr Argument kDirectory = describedArgument("sqliteAsyncExecute", "directory");
constexpr Argument kFileName = describedArgument("sqliteAsyncExecute", "fileName");
constexpr Argument kCallbackId = describedArgument("sqliteAsyncExecute", "callbackId");
constexpr Argument kStatements = describedArgument("sqliteAsyncExecute", "statements");
}  // namespace asyncExecute
namespace execute {
constexpr Argument kDirectory = describedArgument("sqliteExecute", "directory");
constexpr Argument kFileName = describedArgument("sqliteExecute", "fileName");
constexpr Argument kStatements = describedArgument("sqliteExecute", "statements");
}  // namespace execute
namespace executeFile {
constexpr Argument kDirectory = describedArgument("sqliteExecuteFile", "directory");
constexpr Argument kFileName = describedArgument("sqliteExecuteFile", "fileName");
constexpr Argument kUnused1 = describedArgument("sqliteExecuteFile", "unused1");
constexpr Argument kUnused2 = describedArgument("sqliteExecuteFile", "unused2");
}  // namespace executeFile
namespace asyncQuery {
constexpr Argument kDirectory = describedArgument("sqliteAsyncQuery", "directory");
constexpr Argument kFileName = describedArgument("sqliteAsyncQuery", "fileName");
constexpr Argument kCallbackId = describedArgument("sqliteAsyncQuery", "callbackId");
constexpr Argument kSql = describedArgument("sqliteAsyncQuery", "sql");
}  // namespace asyncQuery
namespace query {
constexpr Argument kDirectory = describedArgument("sqliteQuery", "directory");
constexpr Argument kFileName = describedArgument("sqliteQuery", "fileName");
constexpr Argument kSql = describedArgument("sqliteQuery", "sql");
}  // namespace query

// Runs `batch` (may be empty: nothing to run) on its own connection and
// returns the last insert row id in decimal, all 64 bits of it.
std::string runBatch(const std::string& directory, const std::string& fileName,
                     const std::string& batch) {
  SqliteConnection connection(directory, fileName);
  if (!batch.empty()) connection.execute(batch);
  return std::to_string(connection.lastInsertRowId());
}

// Hands `add` the column count of `sql`'s rows, then their values
// (SqliteConnection::collectRows); they go straight into the answer or record
// that carries them, so a large result is never copied.
void runQuery(const std::string& directory, const std::string& fileName, const std::string& sql,
              const std::function<void(std::string_view)>& add) {
  SqliteConnection connection(directory, fileName);
  const QueryShape shape = connection.collectRows(sql, add);
  if (!shape.uniform) throw CmdException("sqliteQuery - bad column count [" + sql + "]");
}

// [id, "pass", event, "ERROR", message]: how both background commands fail.
template <const char* event>
Record failureRecord(const WorkerChannel& channel, const std::string& message) {
  return channel.record(event, kError, message);
}

constexpr char kExecuteEvent[] = "execute";
constexpr char kQueryEvent[] = "query";

}  // namespace

Answer CmdState::sqliteOpen(const std::string& directory, const std::string& fileName) {
  SqliteConnection connection(directory, fileName);
  return okAnswer(fileName);
}

// The arguments are read here, on the GUI thread, so that one without a text
// form is answered to the page instead of failing where nobody can hear it.
Answer CmdState::sqliteAsyncExecute(Page* page, const Request& request) {
  runWorker(
      platform::WorkKind::kDatabase,
      WorkerChannel(page, argumentText(request, asyncExecute::kCallbackId), "sqliteAsyncExecute"),
      [directory = argumentText(request, asyncExecute::kDirectory),
       fileName = argumentText(request, asyncExecute::kFileName),
       batch = statementBatch(request, asyncExecute::kStatements.position)](
          const WorkerChannel& channel) {
        channel.deliver(channel.record(kExecuteEvent, kOk, runBatch(directory, fileName, batch)));
      },
      failureRecord<kExecuteEvent>, dbMutex_);
  return okAnswer();
}

Answer CmdState::sqliteExecute(const Request& request) {
  std::string fileName = argumentText(request, execute::kFileName);
  std::string lastRowId = runBatch(argumentText(request, execute::kDirectory), fileName,
                                   statementBatch(request, execute::kStatements.position));
  return okAnswer(std::move(fileName), std::move(lastRowId));
}

Answer CmdState::sqliteExecuteFile(Page*, const std::string&, const std::string& fileName,
                                   const std::string&, const std::string&) {
  return okAnswer(fileName);
}

Answer CmdState::sqliteAsyncQuery(Page* page, const std::string& directory,
                                  const std::string& fileName, const std::string& callbackId,
                                  const std::string& sql) {
  runWorker(
      platform::WorkKind::kDatabase, WorkerChannel(page, callbackId, "sqliteAsyncQuery"),
      [directory, fileName, sql](const WorkerChannel& channel) {
        Record record = channel.record(kQueryEvent, kOk);
        runQuery(directory, fileName, sql,
                 [&](std::string_view value) { record.emplace_back(value); });
        channel.deliver(record);
      },
      failureRecord<kQueryEvent>, dbMutex_);
  return okAnswer(fileName);
}

// The answer is written as the rows come: a query's answer can hold
// hundreds of thousands of values, and holding them as a list first cost
// more than the query.
std::string CmdState::sqliteQuery(const std::string& directory, const std::string& fileName,
                                  const std::string& sql) {
  ListWriter answer;
  answer.add(kOk);
  answer.add(fileName);
  runQuery(directory, fileName, sql, [&](std::string_view value) { answer.add(value); });
  return answer.finish();
}

namespace database {

Answer sqliteOpen(CommandContext& context) {
  return context.state.sqliteOpen(context.arg(open::kDirectory), context.arg(open::kFileName));
}

Answer sqliteAsyncExecute(CommandContext& context) {
  return context.state.sqliteAsyncExecute(context.page, context.request);
}

Answer sqliteExecute(CommandContext& context) {
  return context.state.sqliteExecute(context.request);
}

// Its two further arguments are read, by the same text rule, and ignored.
Answer sqliteExecuteFile(CommandContext& context) {
  return context.state.sqliteExecuteFile(
      context.page, context.arg(executeFile::kDirectory), context.arg(executeFile::kFileName),
      context.arg(executeFile::kUnused1), context.arg(executeFile::kUnused2));
}

Answer sqliteAsyncQuery(CommandContext& context) {
  return context.state.sqliteAsyncQuery(
      context.page, context.arg(asyncQuery::kDirectory), context.arg(asyncQuery::kFileName),
      context.arg(asyncQuery::kCallbackId), context.arg(asyncQuery::kSql));
}

Answer sqliteQuery(CommandContext& context) {
  context.writtenAnswer = context.state.sqliteQuery(
      context.arg(query::kDirectory), context.arg(query::kFileName), context.arg(query::kSql));
  return {};
}

}  // namespace database
}  // namespace bridge
