#include "bridge/database/sqlite_connection.h"

#include <sqlite3.h>

#include <exception>
#include <string>

#include "bridge/protocol/cmd_exception.h"
#include "bridge/protocol/protocol.h"
#include "platform/directory.h"

namespace bridge {
namespace {

// A synchronous command on the GUI thread may meet a worker that is writing
// the same file; it waits this long for the lock instead of failing at once
// and losing the page's data.
constexpr int kBusyTimeoutMs = 5000;

struct RowCollector {
  const std::function<void(std::string_view)>& add;
  QueryShape shape;
  std::size_t rows = 0;
  std::exception_ptr failure;
};

// sqlite3_exec's row callback. A ragged result does not stop execution: it is
// only noted, and its further values are not kept because nobody will see
// them. What the receiver throws stops it, and is thrown again once SQLite
// has returned: an exception must not unwind through SQLite's own frames.
int collectRow(void* target, int count, char** columns, char**) {
  auto& collector = *static_cast<RowCollector*>(target);
  const auto width = static_cast<std::size_t>(count);
  try {
    if (collector.rows++ == 0) {
      collector.shape.columns = width;
      collector.add(std::to_string(width));
    } else if (width != collector.shape.columns) {
      collector.shape.uniform = false;
    }
    if (!collector.shape.uniform) return 0;
    for (std::size_t i = 0; i < width; ++i) {
      const char* value = columns[i];
      collector.add(value == nullptr ? std::string_view() : std::string_view(value));
    }
  } catch (...) {
    collector.failure = std::current_exception();
    return 1;
  }
  return 0;
}

}  // namespace

SqliteConnection::SqliteConnection(const std::string& directory, const std::string& fileName) {
  const std::string path = pathText(directory + fileName);
  // A folder that cannot be made fails the open below, which words why.
  (void)platform::createDirectory(directory);
  const int code = sqlite3_open(path.c_str(), &db_);
  if (code != SQLITE_OK) {
    // A handle comes back even when the open fails; it carries the message.
    const std::string message = db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(code);
    sqlite3_close(db_);
    throw CmdException(message);
  }
  sqlite3_busy_timeout(db_, kBusyTimeoutMs);
}

SqliteConnection::~SqliteConnection() { sqlite3_close(db_); }

void SqliteConnection::execute(const std::string& sql) {
  char* message = nullptr;
  const int code = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message);
  if (code != SQLITE_OK) fail(code, message);
  // SQLite reads the text only up to a NUL, and a statement that ends in a
  // "--" comment or an open "/*" swallows the rest: the batch's closing
  // END TRANSACTION never runs, and closing would quietly roll it all back.
  if (sqlite3_get_autocommit(db_) == 0) {
    sqlite3_exec(db_, "ROLLBACK;", nullptr, nullptr, nullptr);
    throw CmdException("statement batch did not end its transaction; nothing was saved");
  }
}

QueryShape SqliteConnection::collectRows(const std::string& sql,
                                         const std::function<void(std::string_view)>& add) {
  RowCollector collector{add, {}, 0, nullptr};
  char* message = nullptr;
  const int code = sqlite3_exec(db_, sql.c_str(), collectRow, &collector, &message);
  if (collector.failure) {
    sqlite3_free(message);
    std::rethrow_exception(collector.failure);
  }
  if (code != SQLITE_OK) fail(code, message);
  if (collector.rows == 0) add("0");
  return collector.shape;
}

std::int64_t SqliteConnection::lastInsertRowId() const {
  return static_cast<std::int64_t>(sqlite3_last_insert_rowid(db_));
}

void SqliteConnection::fail(int code, char* message) {
  const std::string text = message != nullptr ? message : sqlite3_errstr(code);
  sqlite3_free(message);
  // Closing would roll back as well; doing it here keeps the failed batch
  // from being visible a moment longer and does not depend on close order.
  if (sqlite3_get_autocommit(db_) == 0) sqlite3_exec(db_, "ROLLBACK;", nullptr, nullptr, nullptr);
  throw CmdException(text);
}

std::string statementBatch(const Request& request, std::size_t first) {
  if (request.size() <= first) return std::string();
  std::size_t length = 128;
  for (std::size_t i = first; i < request.size(); ++i) length += request.text(i).size() + 1;
  std::string batch;
  batch.reserve(length);
  batch += "BEGIN TRANSACTION;";
  for (std::size_t i = first; i < request.size(); ++i) {
    batch += request.text(i);
    batch += ';';
  }
  batch += "END TRANSACTION;";
  return batch;
}

}  // namespace bridge
