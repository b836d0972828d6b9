// Values a page binds to SQL come straight from page script. Reading them
// must either refuse the text with one of the reader's own messages or give
// values that bind; binding must either refuse a count or name with its
// message or bind every parameter; and each bound parameter, selected back,
// must be exactly the value the text gave, type and bytes.
//
// Input: one byte choosing a statement, then the values' JSON text.
#include <sqlite3.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "bridge/database/bound_values.h"
#include "bridge/protocol/cmd_exception.h"
#include "tests/fuzz/short_malloc_stacks.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

bool StartsWith(const std::string& text, std::string_view prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// Each statement selects parameters; `parameters` lists, for each column,
// the number of the parameter it selects.
struct Statement {
  const char* sql;
  int parameters[4];
  int columns;
};

constexpr Statement kStatements[] = {
    {"SELECT ?", {1}, 1},
    {"SELECT ?, ?, ?", {1, 2, 3}, 3},
    {"SELECT :a, @b, $c", {1, 2, 3}, 3},
    {"SELECT ?2, :x, ?5", {2, 3, 5}, 3},
    {"SELECT :a, ?, :a", {1, 2, 1}, 3},
    {"SELECT 1", {}, 0},
};

sqlite3* Database() {
  static sqlite3* const db = [] {
    sqlite3* opened = nullptr;
    Require(sqlite3_open(":memory:", &opened) == SQLITE_OK);
    return opened;
  }();
  return db;
}

// The value bound to parameter `number`: by number, or the one whose name
// the statement gives that number.
const bridge::BoundValue& BoundTo(const bridge::BoundValues& values, sqlite3_stmt* statement,
                                  int number) {
  if (!values.byName()) return values.values()[static_cast<std::size_t>(number - 1)];
  for (std::size_t i = 0; i < values.names().size(); ++i) {
    if (sqlite3_bind_parameter_index(statement, values.names()[i].c_str()) == number) {
      return values.values()[i];
    }
  }
  std::abort();
}

void RequireSelected(sqlite3_stmt* statement, int column, const bridge::BoundValue& value) {
  using Type = bridge::BoundValue::Type;
  const int type = sqlite3_column_type(statement, column);
  switch (value.type) {
    case Type::kNull: Require(type == SQLITE_NULL); break;
    case Type::kInteger:
      Require(type == SQLITE_INTEGER && sqlite3_column_int64(statement, column) == value.integer);
      break;
    case Type::kReal:
      // SQLite stores NaN as NULL; JSON has no way to write one, but an
      // overflowing number may read as infinity.
      Require(type == SQLITE_FLOAT && sqlite3_column_double(statement, column) == value.real);
      break;
    case Type::kText:
    case Type::kBlob: {
      Require(type == (value.type == Type::kText ? SQLITE_TEXT : SQLITE_BLOB));
      const void* bytes = value.type == Type::kText
                              ? static_cast<const void*>(sqlite3_column_text(statement, column))
                              : sqlite3_column_blob(statement, column);
      const auto size = static_cast<std::size_t>(sqlite3_column_bytes(statement, column));
      Require(size == value.bytes.size());
      Require(size == 0 || std::memcmp(bytes, value.bytes.data(), size) == 0);
      break;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const Statement& chosen = kStatements[data[0] % (sizeof kStatements / sizeof kStatements[0])];
  const std::string_view json(reinterpret_cast<const char*>(data) + 1, size - 1);

  bridge::BoundValues values;
  try {
    values = bridge::BoundValues::parse(json);
  } catch (const bridge::CmdException& e) {
    const std::string message = e.message();
    Require(message == "bound values are not a JSON array or object" ||
            StartsWith(message, "cannot bind value ["));
    return 0;
  }
  Require(!values.byName() || values.names().size() == values.values().size());

  sqlite3_stmt* statement = nullptr;
  Require(sqlite3_prepare_v2(Database(), chosen.sql, -1, &statement, nullptr) == SQLITE_OK);
  bool bound = true;
  try {
    values.bindTo(statement);
  } catch (const bridge::CmdException& e) {
    const std::string message = e.message();
    const bool countRefused =
        values.values().size() != static_cast<std::size_t>(sqlite3_bind_parameter_count(statement));
    Require(countRefused ? message.find(" for ") != std::string::npos
                         : StartsWith(message, "no parameter named ["));
    bound = false;
  }
  if (bound) {
    Require(sqlite3_step(statement) == SQLITE_ROW);
    for (int column = 0; column < chosen.columns; ++column) {
      RequireSelected(statement, column, BoundTo(values, statement, chosen.parameters[column]));
    }
  }
  sqlite3_finalize(statement);
  return 0;
}
