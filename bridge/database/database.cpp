#include "bridge/database/database.h"

#include <string>

#include "bridge/cmd_state.h"
#include "bridge/database/sqlite_connection.h"
#include "bridge/protocol/cmd_exception.h"
#include "bridge/worker.h"

namespace bridge {
namespace {

// Request positions of the database commands' arguments.
constexpr Json::ArrayIndex kDirectory = kFirstArgument;
constexpr Json::ArrayIndex kFileName = kFirstArgument + 1;
constexpr Json::ArrayIndex kStatements = kFirstArgument + 2;
constexpr Json::ArrayIndex kAsyncCallbackId = kFirstArgument + 2;
constexpr Json::ArrayIndex kQuerySql = kFirstArgument + 2;
constexpr Json::ArrayIndex kAsyncStatements = kFirstArgument + 3;
constexpr Json::ArrayIndex kAsyncQuerySql = kFirstArgument + 3;
constexpr Json::ArrayIndex kIgnoredFirst = kFirstArgument + 2;   // sqliteExecuteFile
constexpr Json::ArrayIndex kIgnoredSecond = kFirstArgument + 3;

// Runs `batch` (may be empty: nothing to run) on its own connection and
// returns the last insert row id in decimal, all 64 bits of it.
std::string runBatch(const std::string& directory, const std::string& fileName,
                     const std::string& batch) {
  SqliteConnection connection(directory, fileName);
  if (!batch.empty()) connection.execute(batch);
  return std::to_string(connection.lastInsertRowId());
}

// Appends the values of `sql`'s rows to `out` and writes their column count
// into out[countSlot]; the values go straight into the answer or record that
// carries them, so a large result is never copied.
void runQuery(const std::string& directory, const std::string& fileName, const std::string& sql,
              Record& out, std::size_t countSlot) {
  SqliteConnection connection(directory, fileName);
  const QueryShape shape = connection.collectRows(sql, out);
  if (!shape.uniform) throw CmdException("sqliteQuery - bad column count [" + sql + "]");
  out[countSlot] = std::to_string(shape.columns);
}

// [id, "pass", event, "ERROR", message]: how both background commands fail.
template <const char* event>
Record failureRecord(const WorkerChannel& channel, const std::string& message) {
  Record record = channel.record(event);
  record.insert(record.end(), {kError, message});
  return record;
}

constexpr char kExecuteEvent[] = "execute";
constexpr char kQueryEvent[] = "query";

}  // namespace

Answer CmdState::sqliteOpen(const std::string& directory, const std::string& fileName) {
  SqliteConnection connection(directory, fileName);
  return {"OK", fileName};
}

// The arguments are read here, on the GUI thread, so that one without a text
// form is answered to the page instead of failing where nobody can hear it.
Answer CmdState::sqliteAsyncExecute(QWebPage* page, const Json::Value& request) {
  runWorker(
      platform::WorkKind::kDatabase,
      WorkerChannel(page, elementText(request, kAsyncCallbackId), "sqliteAsyncExecute"),
      [directory = elementText(request, kDirectory), fileName = elementText(request, kFileName),
       batch = statementBatch(request, kAsyncStatements)](const WorkerChannel& channel) {
        Record record = channel.record(kExecuteEvent);
        record.insert(record.end(), {kOk, runBatch(directory, fileName, batch)});
        channel.deliver(record);
      },
      failureRecord<kExecuteEvent>, dbMutex_);
  return okAnswer();
}

Answer CmdState::sqliteExecute(const Json::Value& request) {
  const std::string fileName = elementText(request, kFileName);
  return {"OK", fileName,
          runBatch(elementText(request, kDirectory), fileName, statementBatch(request, kStatements))};
}

Answer CmdState::sqliteExecuteFile(QWebPage*, const std::string&, const std::string& fileName,
                                   const std::string&, const std::string&) {
  return {"OK", fileName};
}

Answer CmdState::sqliteAsyncQuery(QWebPage* page, const std::string& directory,
                                  const std::string& fileName, const std::string& callbackId,
                                  const std::string& sql) {
  runWorker(
      platform::WorkKind::kDatabase, WorkerChannel(page, callbackId, "sqliteAsyncQuery"),
      [directory, fileName, sql](const WorkerChannel& channel) {
        Record record = channel.record(kQueryEvent);
        record.insert(record.end(), {kOk, ""});
        runQuery(directory, fileName, sql, record, record.size() - 1);
        channel.deliver(record);
      },
      failureRecord<kQueryEvent>, dbMutex_);
  return {kOk, fileName};
}

Answer CmdState::sqliteQuery(const std::string& directory, const std::string& fileName,
                             const std::string& sql) {
  Answer answer{"OK", fileName, ""};
  runQuery(directory, fileName, sql, answer, 2);
  return answer;
}

namespace database {

Answer sqliteOpen(CommandContext& context) {
  return context.state.sqliteOpen(context.arg(kDirectory), context.arg(kFileName));
}

Answer sqliteAsyncExecute(CommandContext& context) {
  return context.state.sqliteAsyncExecute(context.page, context.request);
}

Answer sqliteExecute(CommandContext& context) {
  return context.state.sqliteExecute(context.request);
}

// Its two further arguments are read, by the same text rule, and ignored.
Answer sqliteExecuteFile(CommandContext& context) {
  return context.state.sqliteExecuteFile(context.page, context.arg(kDirectory),
                                         context.arg(kFileName), context.arg(kIgnoredFirst),
                                         context.arg(kIgnoredSecond));
}

Answer sqliteAsyncQuery(CommandContext& context) {
  return context.state.sqliteAsyncQuery(context.page, context.arg(kDirectory),
                                        context.arg(kFileName), context.arg(kAsyncCallbackId),
                                        context.arg(kAsyncQuerySql));
}

Answer sqliteQuery(CommandContext& context) {
  return context.state.sqliteQuery(context.arg(kDirectory), context.arg(kFileName),
                                   context.arg(kQuerySql));
}

}  // namespace database
}  // namespace bridge
