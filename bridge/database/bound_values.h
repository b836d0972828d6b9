// Values a page binds to a statement's parameters, kept apart from the SQL
// text so that no value is ever read as SQL and each keeps its type.
//
// A page sends them as one JSON text:
//   [1, "it's", null]          binds parameter 1, 2, 3 (?, ?NNN and named ones
//                              alike, by SQLite's parameter numbers)
//   {":id": 1, "@who": "x"}    binds each parameter by its name as the SQL
//                              writes it (":id", "@who", "$v", "?3")
//   ""                         binds nothing
// Numbers written without a fraction or exponent bind as integers (past 64
// bits as reals, as SQLite reads such a literal), other numbers as reals;
// strings as text, null as NULL, true and false as 1 and 0, and
// {"base64": "..."} (standard alphabet, padded) as a blob of its bytes.
//
// Every failure throws CmdException with a message for the page; nothing is
// bound partly and then run. Plain values, safe to copy to a worker thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3_stmt;

namespace Json {
class Value;
}

namespace bridge {

struct BoundValue {
  enum class Type { kNull, kInteger, kReal, kText, kBlob };

  Type type = Type::kNull;
  std::int64_t integer = 0;
  double real = 0;
  std::string bytes;  // of a text or a blob

  bool operator==(const BoundValue& other) const;
};

class BoundValues {
 public:
  // No values: binds a statement without parameters.
  BoundValues() = default;

  // Reads the values' JSON text. Throws CmdException for a text that is not
  // a JSON array or object, and for an element that is none of the forms
  // above (naming it by its number or name).
  static BoundValues parse(std::string_view json);
  // The same for values already read as JSON: an array or an object.
  static BoundValues read(const Json::Value& root);

  // Binds every value to `statement`, whose parameters must be exactly as
  // many as the values: otherwise throws CmdException("2 values for 3
  // parameters"). By name, a name the statement lacks throws
  // CmdException("no parameter named [name]"). The statement refers to the
  // values' bytes, so they must outlive its use.
  void bindTo(sqlite3_stmt* statement) const;

  bool byName() const { return byName_; }
  // The values by number, or by name in the names' byte order, each with
  // its name.
  const std::vector<BoundValue>& values() const { return values_; }
  const std::vector<std::string>& names() const { return names_; }

 private:
  bool byName_ = false;
  std::vector<BoundValue> values_;
  std::vector<std::string> names_;  // beside values_ when byName_
};

// One statement of a bound batch with its values.
struct BoundStatement {
  std::string sql;
  BoundValues values;
};

// Reads a bound batch: a JSON array of [sql, values] pairs, whose values are
// an array or an object read as BoundValues::parse reads them, or their JSON
// text as one string ("" binds none). Throws CmdException for a text that is
// not such an array, naming the first pair that is not one, and for values
// that cannot be bound, naming their statement (counted from 1):
//   "bound batch is not a JSON array of [sql, values] pairs"
//   "statement 2 is not a [sql, values] pair"
//   "statement 2: cannot bind value [1]: not padded base64; nothing was saved [sql]"
std::vector<BoundStatement> parseBoundBatch(std::string_view json);

// A failure of the batch's statement `index` (from 0), in the form above.
std::string batchStatementFailure(std::size_t index, const std::string& sql,
                                  const std::string& message);

}  // namespace bridge
