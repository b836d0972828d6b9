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

}  // namespace bridge
