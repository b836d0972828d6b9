#include "bridge/database.h"

#include <exception>
#include <memory>
#include <mutex>
#include <string>

#include "bridge/callback.h"
#include "bridge/cmd_exception.h"
#include "bridge/cmd_state.h"
#include "bridge/sqlite_connection.h"
#include "platform/threads.h"

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

// What a worker thread needs; it owns its copy.
struct DatabaseWork {
  QWebPage* page;
  std::string callbackId;
  std::string directory;
  std::string fileName;
  std::string sql;  // the statement batch or the query
  std::shared_ptr<std::mutex> dbMutex;
};

using WorkBody = void (*)(const DatabaseWork& work, Record& record);

// The top of a worker thread. Holds the database lock from before the open
// until the record is delivered, so background commands run one at a time in
// the order they get the lock. A failure becomes the record
// [id, "pass", event, "ERROR", message]; nothing escapes the thread.
void deliverWork(const DatabaseWork& work, const char* event, WorkBody body) {
  try {
    std::lock_guard<std::mutex> lock(*work.dbMutex);
    Record record{work.callbackId, "pass", event};
    try {
      body(work, record);
    } catch (const CmdException& e) {
      record.resize(3);
      record.insert(record.end(), {"ERROR", e.message()});
    } catch (const std::exception& e) {
      record.resize(3);
      record.insert(record.end(), {"ERROR", e.what()});
    }
    deliverCallback(work.page, record);
  } catch (...) {
    // Neither the lock nor the delivery could be had: there is no way left to
    // tell the page, and ending the thread quietly keeps the shell alive.
  }
}

void executeWorker(std::unique_ptr<DatabaseWork> work) {
  deliverWork(*work, "execute", [](const DatabaseWork& w, Record& record) {
    const std::string rowId = runBatch(w.directory, w.fileName, w.sql);
    record.insert(record.end(), {"OK", rowId});
  });
}

void queryWorker(std::unique_ptr<DatabaseWork> work) {
  deliverWork(*work, "query", [](const DatabaseWork& w, Record& record) {
    record.insert(record.end(), {"OK", ""});
    runQuery(w.directory, w.fileName, w.sql, record, record.size() - 1);
  });
}

}  // namespace

Answer CmdState::sqliteOpen(const std::string& directory, const std::string& fileName) {
  SqliteConnection connection(directory, fileName);
  return {"OK", fileName};
}

// The arguments are read here, on the GUI thread, so that one without a text
// form is answered to the page instead of failing where nobody can hear it.
Answer CmdState::sqliteAsyncExecute(QWebPage* page, const Json::Value& request) {
  auto work = std::make_unique<DatabaseWork>(DatabaseWork{
      page, elementText(request, kAsyncCallbackId), elementText(request, kDirectory),
      elementText(request, kFileName), statementBatch(request, kAsyncStatements), dbMutex_});
  platform::startThread(executeWorker, std::move(work));
  return {"OK"};
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
  platform::startThread(queryWorker, std::make_unique<DatabaseWork>(DatabaseWork{
                                         page, callbackId, directory, fileName, sql, dbMutex_}));
  return {"OK", fileName};
}

Answer CmdState::sqliteQuery(const std::string& directory, const std::string& fileName,
                             const std::string& sql) {
  Answer answer{"OK", fileName, ""};
  runQuery(directory, fileName, sql, answer, 2);
  return answer;
}

Answer runSqliteOpen(CommandContext& context) {
  return context.state.sqliteOpen(context.arg(kDirectory), context.arg(kFileName));
}

Answer runSqliteAsyncExecute(CommandContext& context) {
  return context.state.sqliteAsyncExecute(context.page, context.request);
}

Answer runSqliteExecute(CommandContext& context) {
  return context.state.sqliteExecute(context.request);
}

// Its two further arguments are read, by the same text rule, and ignored.
Answer runSqliteExecuteFile(CommandContext& context) {
  return context.state.sqliteExecuteFile(context.page, context.arg(kDirectory),
                                         context.arg(kFileName), context.arg(kFirstArgument + 2),
                                         context.arg(kFirstArgument + 3));
}

Answer runSqliteAsyncQuery(CommandContext& context) {
  return context.state.sqliteAsyncQuery(context.page, context.arg(kDirectory),
                                        context.arg(kFileName), context.arg(kAsyncCallbackId),
                                        context.arg(kAsyncQuerySql));
}

Answer runSqliteQuery(CommandContext& context) {
  return context.state.sqliteQuery(context.arg(kDirectory), context.arg(kFileName),
                                   context.arg(kQuerySql));
}

}  // namespace bridge
