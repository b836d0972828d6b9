#include "bridge/database/database.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>

#include "bridge/cmd_state.h"
#include "bridge/commands.h"
#include "bridge/database/bound_values.h"
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
// The bound commands name their arguments alike; the asynchronous two also
// take a callback identifier.
struct BoundArguments {
  Argument directory;
  Argument fileName;
  Argument sql;
  Argument values;
};
constexpr BoundArguments boundArguments(std::string_view command) {
  return {describedArgument(command, "directory"), describedArgument(command, "fileName"),
          describedArgument(command, "sql"), describedArgument(command, "values")};
}
constexpr BoundArguments kAsyncExecuteBound = boundArguments("sqliteAsyncExecuteBound");
constexpr BoundArguments kExecuteBound = boundArguments("sqliteExecuteBound");
constexpr BoundArguments kAsyncQueryBound = boundArguments("sqliteAsyncQueryBound");
constexpr BoundArguments kQueryBound = boundArguments("sqliteQueryBound");
constexpr Argument kAsyncExecuteBoundId =
    describedArgument("sqliteAsyncExecuteBound", "callbackId");
constexpr Argument kAsyncQueryBoundId = describedArgument("sqliteAsyncQueryBound", "callbackId");

using ValueReceiver = std::function<void(std::string_view)>;
// Hands a query's column count and values to the receiver it is given.
using RowSource = std::function<void(const ValueReceiver& add)>;

// Runs `batch` (may be empty: nothing to run) on its own connection and
// returns the last insert row id in decimal, all 64 bits of it.
std::string runBatch(const std::string& directory, const std::string& fileName,
                     const std::string& batch) {
  SqliteConnection connection(directory, fileName);
  if (!batch.empty()) connection.execute(batch);
  return std::to_string(connection.lastInsertRowId());
}

// Runs one statement with `values` bound to its parameters; the row id as
// runBatch returns it.
std::string runBound(const std::string& directory, const std::string& fileName,
                     const std::string& sql, const BoundValues& values) {
  SqliteConnection connection(directory, fileName);
  connection.execute(sql, values);
  return std::to_string(connection.lastInsertRowId());
}

// Hands `add` the column count of `sql`'s rows, then their values
// (SqliteConnection::collectRows); they go straight into the answer or record
// that carries them, so a large result is never copied.
void runQuery(const std::string& directory, const std::string& fileName, const std::string& sql,
              const ValueReceiver& add) {
  SqliteConnection connection(directory, fileName);
  const QueryShape shape = connection.collectRows(sql, add);
  if (!shape.uniform) throw CmdException("sqliteQuery - bad column count [" + sql + "]");
}

// runQuery for one statement with `values` bound; one statement's rows are
// never ragged.
void runBoundQuery(const std::string& directory, const std::string& fileName,
                   const std::string& sql, const BoundValues& values, const ValueReceiver& add) {
  SqliteConnection connection(directory, fileName);
  connection.collectRows(sql, values, add);
}

// [id, "pass", event, "ERROR", message]: how both background commands fail.
template <const char* event>
Record failureRecord(const WorkerChannel& channel, const std::string& message) {
  return channel.record(event, kError, message);
}

constexpr char kExecuteEvent[] = "execute";
constexpr char kQueryEvent[] = "query";

// Runs `execute` on the database worker, after the database work issued
// before it, and reports the row id it returns as
// [id, "pass", "execute", "OK", lastRowId]. `heldBytes` is what `execute`
// holds while it waits.
void executeOnWorker(Page* page, const std::string& callbackId, const char* command,
                     const std::shared_ptr<std::mutex>& dbMutex, std::size_t heldBytes,
                     std::function<std::string()> execute) {
  runWorker(
      platform::WorkKind::kDatabase, WorkerChannel(page, callbackId, command),
      [execute = std::move(execute)](const WorkerChannel& channel) {
        channel.deliver(channel.record(kExecuteEvent, kOk, execute()));
      },
      failureRecord<kExecuteEvent>, dbMutex, heldBytes);
}

// Runs `rows` on the database worker as executeOnWorker runs its work, and
// reports them as [id, "pass", "query", "OK", columnCount, values...].
void queryOnWorker(Page* page, const std::string& callbackId, const char* command,
                   const std::shared_ptr<std::mutex>& dbMutex, std::size_t heldBytes,
                   RowSource rows) {
  runWorker(
      platform::WorkKind::kDatabase, WorkerChannel(page, callbackId, command),
      [rows = std::move(rows)](const WorkerChannel& channel) {
        Record record = channel.record(kQueryEvent, kOk);
        rows([&](std::string_view value) { record.emplace_back(value); });
        channel.deliver(record);
      },
      failureRecord<kQueryEvent>, dbMutex, heldBytes);
}

// ["OK", fileName, columnCount, values...], written as the rows come: a
// query's answer can hold hundreds of thousands of values, and holding them
// as a list first cost more than the query.
std::string queryAnswer(const std::string& fileName, const RowSource& rows) {
  ListWriter answer;
  answer.add(kOk);
  answer.add(fileName);
  rows([&](std::string_view value) { answer.add(value); });
  return answer.finish();
}

}  // namespace

Answer CmdState::sqliteOpen(const std::string& directory, const std::string& fileName) {
  SqliteConnection connection(directory, fileName);
  return okAnswer(fileName);
}

// The arguments are read here, on the GUI thread, so that one without a text
// form is answered to the page instead of failing where nobody can hear it.
Answer CmdState::sqliteAsyncExecute(Page* page, const Request& request) {
  executeOnWorker(page, argumentText(request, asyncExecute::kCallbackId), "sqliteAsyncExecute",
                  dbMutex_, request.textBytes(),
                  [directory = argumentText(request, asyncExecute::kDirectory),
                   fileName = argumentText(request, asyncExecute::kFileName),
                   batch = statementBatch(request, asyncExecute::kStatements.position)] {
                    return runBatch(directory, fileName, batch);
                  });
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
  queryOnWorker(page, callbackId, "sqliteAsyncQuery", dbMutex_,
                directory.size() + fileName.size() + callbackId.size() + sql.size(),
                [directory, fileName, sql](const ValueReceiver& add) {
                  runQuery(directory, fileName, sql, add);
                });
  return okAnswer(fileName);
}

std::string CmdState::sqliteQuery(const std::string& directory, const std::string& fileName,
                                  const std::string& sql) {
  return queryAnswer(fileName,
                     [&](const ValueReceiver& add) { runQuery(directory, fileName, sql, add); });
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

// The values are read on the worker like the SQL, so that every failure of
// the work comes as its record, as for the unbound commands.
Answer sqliteAsyncExecuteBound(CommandContext& context) {
  executeOnWorker(
      context.page, context.arg(kAsyncExecuteBoundId), "sqliteAsyncExecuteBound",
      context.state.dbMutex(), context.request.textBytes(),
      [directory = context.arg(kAsyncExecuteBound.directory),
       fileName = context.arg(kAsyncExecuteBound.fileName),
       sql = context.arg(kAsyncExecuteBound.sql), values = context.arg(kAsyncExecuteBound.values)] {
        return runBound(directory, fileName, sql, BoundValues::parse(values));
      });
  return okAnswer();
}

Answer sqliteExecuteBound(CommandContext& context) {
  const std::string& fileName = context.arg(kExecuteBound.fileName);
  return okAnswer(fileName, runBound(context.arg(kExecuteBound.directory), fileName,
                                     context.arg(kExecuteBound.sql),
                                     BoundValues::parse(context.arg(kExecuteBound.values))));
}

Answer sqliteAsyncQueryBound(CommandContext& context) {
  const std::string& fileName = context.arg(kAsyncQueryBound.fileName);
  queryOnWorker(context.page, context.arg(kAsyncQueryBoundId), "sqliteAsyncQueryBound",
                context.state.dbMutex(), context.request.textBytes(),
                [directory = context.arg(kAsyncQueryBound.directory), fileName,
                 sql = context.arg(kAsyncQueryBound.sql),
                 values = context.arg(kAsyncQueryBound.values)](const ValueReceiver& add) {
                  runBoundQuery(directory, fileName, sql, BoundValues::parse(values), add);
                });
  return okAnswer(fileName);
}

Answer sqliteQueryBound(CommandContext& context) {
  const std::string& fileName = context.arg(kQueryBound.fileName);
  const BoundValues values = BoundValues::parse(context.arg(kQueryBound.values));
  context.writtenAnswer = queryAnswer(fileName, [&](const ValueReceiver& add) {
    runBoundQuery(context.arg(kQueryBound.directory), fileName, context.arg(kQueryBound.sql),
                  values, add);
  });
  return {};
}

}  // namespace database
}  // namespace bridge
