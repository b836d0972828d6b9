// One SQLite connection for the length of one database command.
//
// Every command opens its own connection and closes it before it answers (or
// before its worker thread ends); SqliteConnection owns the handle and closes
// it in its destructor, on every path. A connection belongs to the thread that
// made it and is never shared.
//
// Failures throw CmdException with SQLite's own message, which the caller
// answers to the page: nothing here is answered as a success that was not one.
#pragma once

#include "bridge/protocol/request.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace bridge {

class BoundValues;
struct BoundStatement;

// Where the rows of a query went, and whether they fit one table.
struct QueryShape {
  // The number of values in the first row; 0 when there were no rows.
  std::size_t columns = 0;
  // False when some row had another number of values than the first
  // (possible when the SQL text holds several statements).
  bool uniform = true;
};

class SqliteConnection {
 public:
  // Creates `directory` (one level; failure ignored) and opens the database
  // at `directory` + `fileName`, joined as they are: the page supplies any
  // separator. The file is created when missing. Throws CmdException when
  // SQLite cannot open it or the path holds a NUL byte.
  SqliteConnection(const std::string& directory, const std::string& fileName);

  SqliteConnection(const SqliteConnection&) = delete;
  SqliteConnection& operator=(const SqliteConnection&) = delete;

  ~SqliteConnection();

  // Runs `sql` (any number of statements, up to a NUL byte) and discards its
  // rows. When it fails, or leaves a transaction open (its end was cut off),
  // the transaction is rolled back and CmdException reports why, so a batch
  // is applied whole or not at all and never reported saved when it was not.
  // For the same reason no statement may begin, end or roll back a
  // transaction or a savepoint, but the opening and closing statements of a
  // statement batch (statementBatch): such a statement is refused before it
  // runs, with CmdException("statement batch may not begin or end a
  // transaction or savepoint; nothing was saved [COMMIT]").
  void execute(const std::string& sql);

  // Runs `sql` (any number of statements, up to a NUL byte) and hands `add`
  // the number of values in its first row, in decimal ("0" when there are
  // none), then the values of every row, row by row in column order: each in
  // SQLite's text form and whole, NUL bytes included; NULL as "". Throws
  // CmdException when the SQL fails, and what `add` throws; a ragged result
  // is reported in the shape, and its values are then incomplete.
  QueryShape collectRows(const std::string& sql, const std::function<void(std::string_view)>& add);

  // The same two for one statement with `values` bound to its parameters
  // (bound_values.h). Blank text, comments and semicolons may stand around
  // the statement; anything more throws CmdException("one statement only;
  // more follows [rest]"), as does the text after a NUL byte. Values that do
  // not fit the parameters throw before the statement runs. The rows are
  // handed on as collectRows hands them, but for a blob: the base64 of its
  // bytes (standard alphabet, padded).
  void execute(const std::string& sql, const BoundValues& values);
  QueryShape collectRows(const std::string& sql, const BoundValues& values,
                         const std::function<void(std::string_view)>& add);

  // Runs every statement of `batch` with its values, in order, as one
  // transaction: all are saved, or none. The PRAGMA statements at the head
  // of the batch run first, outside the transaction (so that, e.g.,
  // "PRAGMA foreign_keys = ON" holds for the rest); a PRAGMA further on runs
  // inside it, where some have no effect. Each statement is one statement as
  // for execute(sql, values), prepared when its turn comes, so that it may
  // use what the statements before it made; none may begin or end a
  // transaction or savepoint. A failure throws CmdException naming the
  // statement (batchStatementFailure, bound_values.h), e.g.
  // "statement 2: UNIQUE constraint failed: t.a; nothing was saved [sql]";
  // a failure to commit throws SQLite's message.
  void execute(const std::vector<BoundStatement>& batch);

  // The row id of the last insert on this connection, or 0.
  std::int64_t lastInsertRowId() const;

 private:
  struct Finalize {
    void operator()(sqlite3_stmt* statement) const;
  };
  using Statement = std::unique_ptr<sqlite3_stmt, Finalize>;

  // The one statement of `sql` with `values` bound; null when the text holds
  // no statement (and then the values must be none).
  Statement prepareOne(const std::string& sql, const BoundValues& values);
  // Prepares the statements of `sql` one after another, up to its end or a
  // NUL byte, and hands each to `run`; blanks, comments and lone semicolons
  // are passed over. With `batch`, transaction control is refused but for
  // the batch's own opening and closing statements.
  void eachStatement(const std::string& sql, bool batch,
                     const std::function<void(const Statement&)>& run);
  // Statement `index` of a bound batch, prepared with transaction control
  // refused; a failure names the statement.
  Statement prepareInBatch(const std::vector<BoundStatement>& batch, std::size_t index);
  // Runs `sql` (no values, no rows) outside any refusal, or fails with its
  // message.
  void run(const char* sql);
  // Steps once: true for a row, false at the end; fails on an error.
  bool step(const Statement& statement);
  void refuseOpenTransaction();
  // SQLite's authorizer: sees each action of a statement being prepared.
  static int authorize(void* connection, int action, const char* operation, const char*,
                       const char*, const char*);
  [[noreturn]] void failWith(const std::string& message);

  sqlite3* db_ = nullptr;
  // Read by the authorizer, which SQLite consults while it prepares.
  struct TransactionControl {
    bool refusing = false;
    // What the last statement prepared was refused for.
    bool refused = false;
    bool refusedCommit = false;
    // Whether the last statement prepared is a PRAGMA.
    bool pragma = false;
  };
  TransactionControl transactionControl_;
};

// The statements at positions `first` and on of `request`, each read as text,
// wrapped into one transaction:
//   "BEGIN TRANSACTION;" statement ";" ... "END TRANSACTION;"
// Empty when the request has no element at `first`: there is nothing to run.
std::string statementBatch(const Request& request, std::size_t first);

}  // namespace bridge
