#include "bridge/database/sqlite_connection.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <climits>
#include <cstddef>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "bridge/database/bound_values.h"
#include "bridge/protocol/cmd_exception.h"
#include "bridge/protocol/protocol.h"
#include "platform/directory.h"
#include "runtime/base64.h"

namespace bridge {
namespace {

// A synchronous command on the GUI thread may meet a worker that is writing
// the same file; it waits this long for the lock instead of failing at once
// and losing the page's data.
constexpr int kBusyTimeoutMs = 5000;

// The frame statementBatch puts around the page's statements.
constexpr std::string_view kBatchBegin = "BEGIN TRANSACTION;";
constexpr std::string_view kBatchEnd = "END TRANSACTION;";

// Room for any 64-bit integer in decimal, its sign included.
using IntegerDigits = std::array<char, 20>;

struct RowCollector {
  const std::function<void(std::string_view)>& add;
  // The bound queries answer a blob as the base64 of its bytes, which a page
  // reads whole; the others hand on SQLite's text form of it, as always.
  bool blobsAsBase64 = false;
  QueryShape shape;
  std::size_t rows = 0;
};

// A value in SQLite's text form, its length SQLite's: texts and blobs may
// hold NUL bytes. NULL is "". An integer is written into `digits`, the same
// decimal SQLite writes but without its conversion, which took a quarter of
// a query of numbers. The value is a column's, read without the
// connection's lock: the connection has none, it stays on one thread.
std::string_view columnValue(sqlite3_value* value, IntegerDigits& digits) {
  switch (sqlite3_value_type(value)) {
    case SQLITE_NULL: return std::string_view();
    case SQLITE_INTEGER: {
      const auto written =
          std::to_chars(digits.data(), digits.data() + digits.size(), sqlite3_value_int64(value));
      return std::string_view(digits.data(), static_cast<std::size_t>(written.ptr - digits.data()));
    }
    default: break;
  }
  const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
  if (text == nullptr) throw CmdException(sqlite3_errstr(SQLITE_NOMEM));
  return std::string_view(text, static_cast<std::size_t>(sqlite3_value_bytes(value)));
}

std::string_view blobValue(sqlite3_stmt* statement, int column) {
  const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, column));
  const auto size = static_cast<std::size_t>(sqlite3_column_bytes(statement, column));
  if (bytes == nullptr && size != 0) throw CmdException(sqlite3_errstr(SQLITE_NOMEM));
  return std::string_view(bytes, size);
}

// Hands the current row's values on. A ragged result does not stop
// execution: it is only noted, and its further values are not kept because
// nobody will see them.
void handRow(RowCollector& collector, sqlite3_stmt* statement, int count) {
  const auto width = static_cast<std::size_t>(count);
  if (collector.rows++ == 0) {
    collector.shape.columns = width;
    collector.add(std::to_string(width));
  } else if (width != collector.shape.columns) {
    collector.shape.uniform = false;
  }
  if (!collector.shape.uniform) return;
  IntegerDigits digits;
  for (int i = 0; i < count; ++i) {
    sqlite3_value* value = sqlite3_column_value(statement, i);
    if (collector.blobsAsBase64 && sqlite3_value_type(value) == SQLITE_BLOB) {
      collector.add(Base64EncodeBytes(blobValue(statement, i)));
    } else {
      collector.add(columnValue(value, digits));
    }
  }
}

bool startsWith(std::string_view text, std::string_view start) {
  return text.substr(0, start.size()) == start;
}

bool endsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// The statement from `at` to `after`, without the blanks and semicolon
// around it, to name it in a message.
std::string statementText(const char* at, const char* after) {
  std::string_view text(at, after != nullptr && after > at ? static_cast<std::size_t>(after - at)
                                                           : std::strlen(at));
  const auto blank = [](char c) { return c == ';' || std::isspace(static_cast<unsigned char>(c)); };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return std::string(text);
}

// Whether the text from `at` to `after` ends a statement: SQLite's prepare
// leaves `after` inside the text of a statement it could not parse.
bool endsStatement(const char* at, const char* after) {
  if (after == nullptr || after <= at) return false;
  return sqlite3_complete(std::string(at, static_cast<std::size_t>(after - at)).c_str()) != 0;
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
  // The connection stays on the thread that opened it, so SQLite need not
  // lock it on every call: a query's rows take several calls per value.
  const int code = sqlite3_open_v2(
      path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
      nullptr);
  if (code != SQLITE_OK) {
    // A handle comes back even when the open fails; it carries the message.
    const std::string message = db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(code);
    sqlite3_close(db_);
    throw CmdException(message);
  }
  sqlite3_busy_timeout(db_, kBusyTimeoutMs);
  sqlite3_set_authorizer(db_, authorize, this);
}

SqliteConnection::~SqliteConnection() { sqlite3_close(db_); }

void SqliteConnection::execute(const std::string& sql) {
  eachStatement(sql, true, [this](const Statement& statement) {
    while (step(statement)) continue;  // an executed statement's rows are dropped
  });
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
    failWith("statement batch did not end its transaction; nothing was saved");
  }
}

QueryShape SqliteConnection::collectRows(const std::string& sql,
                                         const std::function<void(std::string_view)>& add) {
  RowCollector collector{add, false, {}, 0};
  eachStatement(sql, false, [&](const Statement& statement) {
    const int count = sqlite3_column_count(statement.get());
    while (step(statement)) handRow(collector, statement.get(), count);
  });
  if (collector.rows == 0) add("0");
  return collector.shape;
}

std::int64_t SqliteConnection::lastInsertRowId() const {
  return static_cast<std::int64_t>(sqlite3_last_insert_rowid(db_));
}

QueryShape SqliteConnection::collectRows(const std::string& sql, const BoundValues& values,
                                         const std::function<void(std::string_view)>& add) {
  RowCollector collector{add, true, {}, 0};
  const Statement statement = prepareOne(sql, values);
  if (statement) {
    const int count = sqlite3_column_count(statement.get());
    while (step(statement)) handRow(collector, statement.get(), count);
  }
  if (collector.rows == 0) add("0");
  return collector.shape;
}

void SqliteConnection::execute(const std::vector<BoundStatement>& batch) {
  bool begun = false;
  for (std::size_t index = 0; index < batch.size(); ++index) {
    const Statement statement = prepareInBatch(batch, index);
    if (!begun && !transactionControl_.pragma) {
      run("BEGIN");
      begun = true;
    }
    if (!statement) continue;
    try {
      while (step(statement)) continue;  // an executed statement's rows are dropped
    } catch (const CmdException& e) {
      failWith(batchStatementFailure(index, batch[index].sql, e.message()));
    }
  }
  if (begun) run("COMMIT");
}

SqliteConnection::Statement SqliteConnection::prepareInBatch(
    const std::vector<BoundStatement>& batch, std::size_t index) {
  TransactionControl& control = transactionControl_;
  control.refusing = true;
  control.refused = control.refusedCommit = control.pragma = false;
  try {
    Statement statement = prepareOne(batch[index].sql, batch[index].values);
    control.refusing = false;
    return statement;
  } catch (const CmdException& e) {
    failWith(batchStatementFailure(index, batch[index].sql, e.message()));
  }
}

void SqliteConnection::run(const char* sql) {
  if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) failWith(sqlite3_errmsg(db_));
}

void SqliteConnection::Finalize::operator()(sqlite3_stmt* statement) const {
  sqlite3_finalize(statement);
}

SqliteConnection::Statement SqliteConnection::prepareOne(const std::string& sql,
                                                         const BoundValues& values) {
  const char* at = sql.data();
  const char* const end = at + sql.size();
  Statement first;
  // SQLite's message for the one statement, told only when nothing follows
  // it: "CREATE TABLE t (a); INSERT INTO t ..." must be refused as two
  // statements, not as an insert into a table that is not there yet.
  std::optional<std::string> failure;
  // Blank text, comments and lone semicolons prepare to no statement; they
  // may stand before and after the one statement.
  while (at != end) {
    sqlite3_stmt* prepared = nullptr;
    const char* after = nullptr;
    transactionControl_.refused = false;
    const int code = sqlite3_prepare_v2(db_, at, sqlLength(at, end), &prepared, &after);
    Statement made(prepared);
    const bool seen = first || failure;
    // What follows the statement is more, even when it cannot be prepared
    // (it may need what the first would have made).
    if ((made || code != SQLITE_OK) && seen) break;
    if (code != SQLITE_OK && transactionControl_.refused) {
      failWith("may not begin or end a transaction or savepoint");
    }
    if (code != SQLITE_OK) {
      // A statement cut short by a syntax error has no known end: the
      // message stands for all of the text.
      if (!endsStatement(at, after)) failWith(sqlite3_errmsg(db_));
      failure = sqlite3_errmsg(db_);
    }
    if (made) first = std::move(made);
    if (after == at) break;  // a NUL byte: SQLite reads no further
    at = after;
  }
  if (at != end) {
    throw CmdException("one statement only; more follows [" +
                       visibleNul(std::string_view(at, static_cast<std::size_t>(end - at))) + "]");
  }
  if (failure) failWith(*failure);
  values.bindTo(first.get());
  return first;
}

void SqliteConnection::eachStatement(const std::string& sql, bool batch,
                                     const std::function<void(const Statement&)>& run) {
  // The text is read up to its terminating NUL as SQLite reads it: a length
  // would make SQLite copy all the rest of the text for every statement.
  const char* at = sql.c_str();
  const char* const end = at + sql.size();
  TransactionControl& control = transactionControl_;
  Statement statement;
  const char* after = nullptr;
  const auto prepare = [&] {
    control.refused = control.refusedCommit = false;
    statement.reset();  // finalizing after the prepare would clear its error
    sqlite3_stmt* prepared = nullptr;
    const int code = sqlite3_prepare_v2(db_, at, -1, &prepared, &after);
    statement.reset(prepared);
    return code;
  };
  while (*at != '\0') {
    // A batch's text opens with its own BEGIN ...
    control.refusing = batch && !(at == sql.c_str() && startsWith(sql, kBatchBegin));
    int code = prepare();
    // ... and closes with its own END, which SQLite reads together with any
    // blanks, comments and semicolons the page's last statement left.
    if (control.refusedCommit && after == end && endsWith(sql, kBatchEnd)) {
      control.refusing = false;
      code = prepare();
    }
    if (control.refused) {
      failWith("statement batch may not begin or end a transaction or savepoint; nothing was "
               "saved [" + statementText(at, after) + "]");
    }
    if (code != SQLITE_OK) failWith(sqlite3_errmsg(db_));
    if (statement) run(statement);
    at = after;
  }
  control.refusing = false;
}

int SqliteConnection::authorize(void* connection, int action, const char* operation,
                                const char*, const char*, const char*) {
  auto& control = static_cast<SqliteConnection*>(connection)->transactionControl_;
  if (action == SQLITE_PRAGMA) control.pragma = true;
  if (!control.refusing || (action != SQLITE_TRANSACTION && action != SQLITE_SAVEPOINT)) {
    return SQLITE_OK;
  }
  control.refused = true;
  control.refusedCommit = action == SQLITE_TRANSACTION && operation != nullptr &&
                          std::strcmp(operation, "COMMIT") == 0;
  return SQLITE_DENY;
}

bool SqliteConnection::step(const Statement& statement) {
  const int code = sqlite3_step(statement.get());
  if (code == SQLITE_ROW) return true;
  if (code == SQLITE_DONE) return false;
  std::string message = sqlite3_errmsg(db_);
  sqlite3_reset(statement.get());
  failWith(message);
}

void SqliteConnection::failWith(const std::string& message) {
  // Closing would roll back as well; doing it here keeps the failed batch
  // from being visible a moment longer and does not depend on close order.
  transactionControl_.refusing = false;
  if (sqlite3_get_autocommit(db_) == 0) sqlite3_exec(db_, "ROLLBACK;", nullptr, nullptr, nullptr);
  throw CmdException(message);
}

std::string statementBatch(const Request& request, std::size_t first) {
  if (request.size() <= first) return std::string();
  std::size_t length = 128;
  for (std::size_t i = first; i < request.size(); ++i) length += request.text(i).size() + 1;
  std::string batch;
  batch.reserve(length);
  batch += kBatchBegin;
  for (std::size_t i = first; i < request.size(); ++i) {
    batch += request.text(i);
    batch += ';';
  }
  batch += kBatchEnd;
  return batch;
}

}  // namespace bridge
