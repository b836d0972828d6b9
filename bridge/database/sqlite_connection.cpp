#include "bridge/database/sqlite_connection.h"

#include <sqlite3.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <exception>
#include <string>
#include <utility>
#include <vector>

#include "bridge/database/bound_values.h"
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

// Hands one row's values on. A ragged result does not stop execution: it is
// only noted, and its further values are not kept because nobody will see
// them. What the receiver throws stops it (non-zero), and is thrown again
// once SQLite has returned: an exception must not unwind through SQLite's
// own frames.
int handRow(RowCollector& collector, int count, const char* const* columns) {
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

// sqlite3_exec's row callback.
int collectRow(void* target, int count, char** columns, char**) {
  return handRow(*static_cast<RowCollector*>(target), count, columns);
}

// SQLite takes a statement's length as an int; a longer text is cut there,
// and the cut is then seen as text that follows the statement.
int sqlLength(const char* begin, const char* end) {
  return static_cast<int>(std::min<std::ptrdiff_t>(end - begin, INT_MAX));
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
  refuseOpenTransaction();
}

void SqliteConnection::execute(const std::string& sql, const BoundValues& values) {
  Statement statement = prepareOne(sql, values);
  if (statement) {
    while (step(statement)) continue;  // an executed statement's rows are dropped
  }
  statement.reset();
  refuseOpenTransaction();
}

// Closing would quietly roll back a transaction left open: by a bound
// "BEGIN", or by a batch whose closing END TRANSACTION never ran (SQLite
// reads the text only up to a NUL, and a statement that ends in a "--"
// comment or an open "/*" swallows the rest).
void SqliteConnection::refuseOpenTransaction() {
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

QueryShape SqliteConnection::collectRows(const std::string& sql, const BoundValues& values,
                                         const std::function<void(std::string_view)>& add) {
  RowCollector collector{add, {}, 0, nullptr};
  Statement statement = prepareOne(sql, values);
  if (statement) {
    const int count = sqlite3_column_count(statement.get());
    std::vector<const char*> columns(static_cast<std::size_t>(count));
    while (collector.failure == nullptr && step(statement)) {
      for (int i = 0; i < count; ++i) {
        columns[static_cast<std::size_t>(i)] =
            reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), i));
      }
      handRow(collector, count, columns.data());
    }
  }
  statement.reset();
  if (collector.failure) std::rethrow_exception(collector.failure);
  if (collector.rows == 0) add("0");
  return collector.shape;
}

void SqliteConnection::Finalize::operator()(sqlite3_stmt* statement) const {
  sqlite3_finalize(statement);
}

SqliteConnection::Statement SqliteConnection::prepareOne(const std::string& sql,
                                                         const BoundValues& values) {
  const char* at = sql.data();
  const char* const end = at + sql.size();
  Statement first;
  // Blank text, comments and lone semicolons prepare to no statement; they
  // may stand before and after the one statement.
  while (at != end) {
    sqlite3_stmt* prepared = nullptr;
    const char* after = nullptr;
    const int code = sqlite3_prepare_v2(db_, at, sqlLength(at, end), &prepared, &after);
    Statement made(prepared);
    if (code != SQLITE_OK) failWith(sqlite3_errmsg(db_));
    if (made && first) break;
    if (made) first = std::move(made);
    if (after == at) break;  // a NUL byte: SQLite reads no further
    at = after;
  }
  if (at != end) {
    throw CmdException("one statement only; more follows [" +
                       visibleNul(std::string_view(at, static_cast<std::size_t>(end - at))) + "]");
  }
  values.bindTo(first.get());
  return first;
}

bool SqliteConnection::step(const Statement& statement) {
  const int code = sqlite3_step(statement.get());
  if (code == SQLITE_ROW) return true;
  if (code == SQLITE_DONE) return false;
  std::string message = sqlite3_errmsg(db_);
  sqlite3_reset(statement.get());
  failWith(message);
}

void SqliteConnection::fail(int code, char* message) {
  const std::string text = message != nullptr ? message : sqlite3_errstr(code);
  sqlite3_free(message);
  failWith(text);
}

void SqliteConnection::failWith(const std::string& message) {
  // Closing would roll back as well; doing it here keeps the failed batch
  // from being visible a moment longer and does not depend on close order.
  if (sqlite3_get_autocommit(db_) == 0) sqlite3_exec(db_, "ROLLBACK;", nullptr, nullptr, nullptr);
  throw CmdException(message);
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
