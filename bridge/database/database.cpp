#include "bridge/database/database.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bridge/cmd_state.h"
#include "bridge/database/bound_values.h"
#include "bridge/database/sqlite_connection.h"
#include "bridge/protocol/cmd_exception.h"
#include "bridge/worker.h"

namespace bridge {
namespace {

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

// Runs the statements of the bound batch `json` as one transaction; the
// row id as runBatch returns it.
std::string runBoundBatch(const std::string& directory, const std::string& fileName,
                          const std::string& json) {
  const std::vector<BoundStatement> batch = parseBoundBatch(json);
  SqliteConnection connection(directory, fileName);
  connection.execute(batch);
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
void executeOnWorker(WorkerChannel channel, const std::shared_ptr<std::mutex>& dbMutex,
                     std::size_t heldBytes,
                     std::function<std::string()> execute) {
  runWorker(
      platform::WorkKind::kDatabase, std::move(channel),
      [execute = std::move(execute)](const WorkerChannel& channel) {
        channel.deliver(channel.record(kExecuteEvent, kOk, execute()));
      },
      failureRecord<kExecuteEvent>, dbMutex, heldBytes);
}

// Runs `rows` on the database worker as executeOnWorker runs its work, and
// reports them as [id, "pass", "query", "OK", columnCount, values...].
void queryOnWorker(WorkerChannel channel, const std::shared_ptr<std::mutex>& dbMutex,
                   std::size_t heldBytes,
                   RowSource rows) {
  runWorker(
      platform::WorkKind::kDatabase, std::move(channel),
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
  const database::SqliteAsyncExecuteArguments arguments(request);
  executeOnWorker(workerChannel(page, arguments), dbMutex_, request.textBytes(),
                  [directory = arguments.directory(), fileName = arguments.fileName(),
                   batch = statementBatch(request, arguments.statements().first)] {
                    return runBatch(directory, fileName, batch);
                  });
  return okAnswer();
}

Answer CmdState::sqliteExecute(const Request& request) {
  const database::SqliteExecuteArguments arguments(request);
  std::string fileName = arguments.fileName();
  std::string lastRowId = runBatch(arguments.directory(), fileName,
                                   statementBatch(request, arguments.statements().first));
  return okAnswer(std::move(fileName), std::move(lastRowId));
}

Answer CmdState::sqliteExecuteFile(Page*, const std::string&, const std::string& fileName,
                                   const std::string&, const std::string&) {
  return okAnswer(fileName);
}

Answer CmdState::sqliteAsyncQuery(Page* page, const std::string& directory,
                                  const std::string& fileName, const std::string& callbackId,
                                  const std::string& sql) {
  queryOnWorker(WorkerChannel(page, callbackId, database::SqliteAsyncQueryArguments::kCommand.name),
                dbMutex_, directory.size() + fileName.size() + callbackId.size() + sql.size(),
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

Answer sqliteOpen(SqliteOpenCall& call) {
  return call.cmdState().sqliteOpen(call.directory(), call.fileName());
}

Answer sqliteAsyncExecute(SqliteAsyncExecuteCall& call) {
  return call.cmdState().sqliteAsyncExecute(call.page(), call.request());
}

Answer sqliteExecute(SqliteExecuteCall& call) {
  return call.cmdState().sqliteExecute(call.request());
}

// Its two further arguments are read, by the same text rule, and ignored.
Answer sqliteExecuteFile(SqliteExecuteFileCall& call) {
  return call.cmdState().sqliteExecuteFile(call.page(), call.directory(), call.fileName(),
                                           call.unused1(), call.unused2());
}

Answer sqliteAsyncQuery(SqliteAsyncQueryCall& call) {
  return call.cmdState().sqliteAsyncQuery(call.page(), call.directory(), call.fileName(),
                                          call.callbackId(), call.sql());
}

Answer sqliteQuery(SqliteQueryCall& call) {
  call.answerWith(call.cmdState().sqliteQuery(call.directory(), call.fileName(), call.sql()));
  return {};
}

// The values are read on the worker like the SQL, so that every failure of
// the work comes as its record, as for the unbound commands.
Answer sqliteAsyncExecuteBound(SqliteAsyncExecuteBoundCall& call) {
  executeOnWorker(call.channel(), call.cmdState().dbMutex(), call.request().textBytes(),
                  [directory = call.directory(), fileName = call.fileName(), sql = call.sql(),
                   values = call.values()] {
                    return runBound(directory, fileName, sql, BoundValues::parse(values));
                  });
  return okAnswer();
}

Answer sqliteExecuteBound(SqliteExecuteBoundCall& call) {
  const std::string& fileName = call.fileName();
  return okAnswer(fileName, runBound(call.directory(), fileName, call.sql(),
                                     BoundValues::parse(call.values())));
}

Answer sqliteAsyncQueryBound(SqliteAsyncQueryBoundCall& call) {
  const std::string& fileName = call.fileName();
  queryOnWorker(call.channel(), call.cmdState().dbMutex(), call.request().textBytes(),
                [directory = call.directory(), fileName, sql = call.sql(),
                 values = call.values()](const ValueReceiver& add) {
                  runBoundQuery(directory, fileName, sql, BoundValues::parse(values), add);
                });
  return okAnswer(fileName);
}

Answer sqliteQueryBound(SqliteQueryBoundCall& call) {
  const std::string& fileName = call.fileName();
  const BoundValues values = BoundValues::parse(call.values());
  call.answerWith(queryAnswer(fileName, [&](const ValueReceiver& add) {
    runBoundQuery(call.directory(), fileName, call.sql(), values, add);
  }));
  return {};
}

// The batch is read on the worker, as the values are for
// sqliteAsyncExecuteBound.
Answer sqliteAsyncExecuteBoundBatch(SqliteAsyncExecuteBoundBatchCall& call) {
  executeOnWorker(call.channel(), call.cmdState().dbMutex(), call.request().textBytes(),
                  [directory = call.directory(), fileName = call.fileName(), batch = call.batch()] {
                    return runBoundBatch(directory, fileName, batch);
                  });
  return okAnswer();
}

Answer sqliteExecuteBoundBatch(SqliteExecuteBoundBatchCall& call) {
  const std::string& fileName = call.fileName();
  return okAnswer(fileName, runBoundBatch(call.directory(), fileName, call.batch()));
}

}  // namespace database
}  // namespace bridge
