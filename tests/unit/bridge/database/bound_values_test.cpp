// Values bound to a statement's parameters: their types, their counts and
// names, blobs, and SQL text inside a value staying data.
#include "bridge/database/bound_values.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bridge/database/sqlite_connection.h"
#include "bridge/protocol/cmd_exception.h"
#include "tests/support/scratch.h"

namespace bridge {
namespace {

using Values = std::vector<std::string>;

class Bound : public ::testing::Test {
 protected:
  Values query(const std::string& sql, const std::string& values) {
    Values rows;
    connection_.collectRows(sql, BoundValues::parse(values),
                            [&](std::string_view value) { rows.emplace_back(value); });
    return rows;
  }

  Values unbound(const std::string& sql) {
    Values rows;
    connection_.collectRows(sql, [&](std::string_view value) { rows.emplace_back(value); });
    return rows;
  }

  // The message a bound query of `sql` fails with, or "" when it runs.
  std::string queryFailure(const std::string& sql, const std::string& values) {
    try {
      query(sql, values);
      return "";
    } catch (const CmdException& e) {
      return e.message();
    }
  }

  std::string executeFailure(const std::string& sql, const std::string& values) {
    try {
      connection_.execute(sql, BoundValues::parse(values));
      return "";
    } catch (const CmdException& e) {
      return e.message();
    }
  }

  support::Directory folder_{"bound-values"};
  SqliteConnection connection_{folder_.path() + "/", "bound.sqlite"};
};

TEST_F(Bound, EachValueKeepsItsType) {
  EXPECT_EQ(query("SELECT typeof(?), typeof(?), typeof(?), typeof(?), typeof(?), typeof(?)",
                  R"([7, 2.5, "7", null, true, {"base64": "AAEC/w=="}])"),
            (Values{"6", "integer", "real", "text", "null", "integer", "blob"}));
  EXPECT_EQ(query("SELECT ?, ?, ?, ?, ?, hex(?)",
                  R"([7, 2.5, "7", null, false, {"base64": "AAEC/w=="}])"),
            (Values{"6", "7", "2.5", "7", "", "0", "000102FF"}));
  // The whole 64-bit range stays integer; past it SQLite's own reading of
  // such a literal, a real.
  EXPECT_EQ(query("SELECT ?, typeof(?), ?, typeof(?)",
                  "[9223372036854775807, 1e3, -9223372036854775808, 9223372036854775808]"),
            (Values{"4", "9223372036854775807", "real", "-9223372036854775808", "real"}));
  EXPECT_EQ(query("SELECT ? = 'x', ? = 1", R"(["x", 1])"), (Values{"2", "1", "1"}));
}

TEST_F(Bound, TextsAndBlobsAreBoundWholeNulBytesIncluded) {
  connection_.execute("CREATE TABLE t (v)");
  connection_.execute("INSERT INTO t VALUES (?), (?), (?)",
                      BoundValues::parse(R"(["a\u0000b", {"base64": "AGEA"}, "zażółć"])"));
  EXPECT_EQ(unbound("SELECT typeof(v), length(CAST(v AS BLOB)), hex(v) FROM t ORDER BY rowid"),
            (Values{"3", "text", "3", "610062", "blob", "3", "006100", "text", "10",
                    "7A61C5BCC3B3C582C487"}));
  EXPECT_EQ(query("SELECT typeof(?), length(?)", R"([{"base64": ""}, {"base64": ""}])"),
            (Values{"2", "blob", "0"}));
}

TEST_F(Bound, RowsComeBackAsTheUnboundQueryGivesThemButBlobsAsBase64) {
  connection_.execute(
      "CREATE TABLE t (a, b); INSERT INTO t VALUES (1, 'x'), (NULL, 0.1), (x'41004200', 1e300),"
      " (-5000000000, 'ü'), (x'', x'FF');");
  const std::string sql = "SELECT a, b, a || b FROM t ORDER BY rowid";
  Values rows = unbound(sql);
  rows[7] = "QQBCAA==";
  rows[13] = "";
  rows[14] = "/w==";
  EXPECT_EQ(query(sql, ""), rows);
  EXPECT_EQ(query("SELECT a FROM t WHERE a = 42", "[]"), Values{"0"});
}

TEST_F(Bound, TheCountsMustMatchAndTheMessageNamesBoth) {
  EXPECT_EQ(queryFailure("SELECT ?, ?", "[1]"), "1 value for 2 parameters");
  EXPECT_EQ(queryFailure("SELECT ?, ?", "[1, 2, 3]"), "3 values for 2 parameters");
  EXPECT_EQ(queryFailure("SELECT 1", "[1]"), "1 value for 0 parameters");
  EXPECT_EQ(queryFailure("SELECT ?", ""), "0 values for 1 parameter");
  EXPECT_EQ(queryFailure("SELECT :a, :b", R"({":a": 1})"), "1 value for 2 parameters");
  EXPECT_EQ(queryFailure("", "[null]"), "1 value for 0 parameters") << "no statement at all";
  // ?NNN numbers the parameters, gaps included.
  EXPECT_EQ(queryFailure("SELECT ?3", "[1]"), "1 value for 3 parameters");
  EXPECT_EQ(query("SELECT ?3, ?1", "[1, 2, 3]"), (Values{"2", "3", "1"}));
  EXPECT_EQ(query("  ", "[]"), Values{"0"});
}

TEST_F(Bound, AnArrayBindsByNumberAndAnObjectByTheNameTheSqlWrites) {
  EXPECT_EQ(query("SELECT :b, :a, :b", "[1, 2]"), (Values{"3", "1", "2", "1"}))
      << "named parameters are numbered by first appearance";
  EXPECT_EQ(query("SELECT :a, @b, $c, :a", R"({"$c": 3, ":a": 1, "@b": 2})"),
            (Values{"4", "1", "2", "3", "1"}));
  EXPECT_EQ(query("SELECT ?2, ?1", R"({"?1": "one", "?2": "two"})"), (Values{"2", "two", "one"}));
  EXPECT_EQ(queryFailure("SELECT :a", R"({"a": 1})"), "no parameter named [a]")
      << "the prefix is part of the name";
  EXPECT_EQ(queryFailure("SELECT :a, ?", R"({":a": 1, ":b": 2})"), "no parameter named [:b]");
  EXPECT_EQ(queryFailure("SELECT :a", std::string("{\":a\\u0000x\": 1}")),
            "no parameter named [:a\\0x]")
      << "a NUL does not shorten the name to one that exists";
}

TEST_F(Bound, ValuesWithoutAnSqlTypeAreRefusedByTheirNumberOrName) {
  const std::string notBindable =
      "]: not null, a number, a text, true, false or {\"base64\": text}";
  EXPECT_EQ(queryFailure("SELECT ?, ?", "[1, [2]]"), "cannot bind value [2" + notBindable);
  EXPECT_EQ(queryFailure("SELECT ?", "[{}]"), "cannot bind value [1" + notBindable);
  EXPECT_EQ(queryFailure("SELECT ?", R"([{"base64": 5}])"), "cannot bind value [1" + notBindable);
  EXPECT_EQ(queryFailure("SELECT ?", R"([{"base64": "", "type": "blob"}])"),
            "cannot bind value [1" + notBindable);
  EXPECT_EQ(queryFailure("SELECT :x", R"({":x": {"hex": "00"}})"),
            "cannot bind value [:x" + notBindable);
  for (const char* bad : {"AAE", "AA=A", "AAEC\\n", "QR==", "A===", "AAEC/w==="}) {
    EXPECT_EQ(queryFailure("SELECT ?", std::string(R"([{"base64": ")") + bad + "\"}]"),
              "cannot bind value [1]: not padded base64")
        << bad;
  }
}

TEST_F(Bound, TextThatIsNoArrayOrObjectIsRefused) {
  for (const std::string& bad :
       {std::string("["), std::string("5"), std::string("\"x\""), std::string("null"),
        std::string("[1] [2]"), std::string("[1,]"), std::string("[1] // note"),
        std::string(R"({":a": 1, ":a": 2})"), std::string(100000, '[')}) {
    EXPECT_EQ(queryFailure("SELECT 1", bad), "bound values are not a JSON array or object")
        << bad.substr(0, 20);
  }
}

TEST_F(Bound, SqlInsideAValueStaysData) {
  connection_.execute("CREATE TABLE t (name TEXT)");
  const std::string hostile = "x'); DROP TABLE t; --";
  connection_.execute("INSERT INTO t VALUES (?)",
                      BoundValues::parse(R"(["x'); DROP TABLE t; --"])"));
  EXPECT_EQ(query("SELECT count(*), name FROM t WHERE name = ?", R"(["x'); DROP TABLE t; --"])"),
            (Values{"2", "1", hostile}));
  EXPECT_EQ(query("SELECT count(*) FROM t WHERE name = ?", R"(["' OR 1=1 --"])"),
            (Values{"1", "0"}));
}

TEST_F(Bound, OnlyOneStatementRunsAndNothingElseWhenMoreFollows) {
  connection_.execute("CREATE TABLE t (a)");
  EXPECT_EQ(executeFailure("INSERT INTO t VALUES (?); DROP TABLE t", "[1]"),
            "one statement only; more follows [ DROP TABLE t]");
  EXPECT_EQ(queryFailure(std::string("SELECT ?\0; DROP TABLE t", 23), "[1]"),
            "one statement only; more follows [\\0; DROP TABLE t]")
      << "a NUL does not hide the rest";
  EXPECT_EQ(unbound("SELECT count(*) FROM t"), (Values{"1", "0"}));
  // The rest is refused before anything is prepared that needs the first.
  EXPECT_EQ(executeFailure("CREATE TABLE u (a); INSERT INTO u VALUES (?)", "[1]"),
            "one statement only; more follows [ INSERT INTO u VALUES (?)]");
  EXPECT_EQ(executeFailure("INSERT INTO u VALUES (?); CREATE TABLE u (a)", "[1]"),
            "one statement only; more follows [ CREATE TABLE u (a)]");
  EXPECT_EQ(executeFailure("SELEC ?; SELECT 1", "[1]"), "near \"SELEC\": syntax error");
  EXPECT_EQ(executeFailure(" ;; INSERT INTO t VALUES (?) ; -- done\n /* and */ ;", "[1]"), "");
  EXPECT_EQ(unbound("SELECT a FROM t"), (Values{"1", "1"}));
}

TEST_F(Bound, AFailingStatementSavesNothingAndSaysWhy) {
  connection_.execute("CREATE TABLE u (a UNIQUE)");
  EXPECT_EQ(executeFailure("INSERT INTO u VALUES (?), (?)", "[1, 1]"),
            "UNIQUE constraint failed: u.a");
  EXPECT_EQ(executeFailure("INSERT INTO nope VALUES (?)", "[1]"), "no such table: nope");
  EXPECT_EQ(executeFailure("BEGIN", ""),
            "statement batch did not end its transaction; nothing was saved");
  EXPECT_EQ(executeFailure("SELECT ?", "[[1]]"),
            "cannot bind value [1]: not null, a number, a text, true, false or {\"base64\": "
            "text}");
  EXPECT_EQ(unbound("SELECT count(*) FROM u"), (Values{"1", "0"}));
  connection_.execute("INSERT INTO u VALUES (?)", BoundValues::parse("[6000000000]"));
  EXPECT_EQ(connection_.lastInsertRowId(), 1);
}

// A batch of bound statements: one transaction on one connection, its head
// of pragmas before it.
class BoundBatch : public Bound {
 protected:
  std::string batchFailure(const std::string& json) {
    try {
      connection_.execute(parseBoundBatch(json));
      return "";
    } catch (const CmdException& e) {
      return e.message();
    }
  }
};

TEST_F(BoundBatch, EveryStatementRunsWithItsValuesInOrder) {
  const std::string batch = R"~([["CREATE TABLE t (a, b)", []],
                                 ["INSERT INTO t VALUES (?, ?)", [1, {"base64": "AP8="}]],
                                 ["INSERT INTO t VALUES (:a, :b)", {":a": 2, ":b": "x"}],
                                 ["UPDATE t SET b = ? WHERE a = ?", "[\"y\", 2]"],
                                 ["DELETE FROM t WHERE a = 9", ""]])~";
  EXPECT_EQ(batchFailure(batch), "");
  EXPECT_EQ(unbound("SELECT a, hex(b) FROM t ORDER BY a"), (Values{"2", "1", "00FF", "2", "79"}));
  EXPECT_EQ(connection_.lastInsertRowId(), 2);
  EXPECT_EQ(batchFailure("[]"), "");
}

TEST_F(BoundBatch, AFailureSavesNothingAndNamesItsStatement) {
  connection_.execute("CREATE TABLE t (a UNIQUE)");
  EXPECT_EQ(batchFailure(R"~([["INSERT INTO t VALUES (?)", [1]], ["INSERT INTO t VALUES (?)", [1]]])~"),
            "statement 2: UNIQUE constraint failed: t.a; nothing was saved [INSERT INTO t VALUES (?)]");
  EXPECT_EQ(batchFailure(R"~([["INSERT INTO t VALUES (?)", [2]], ["SELECT ?", [1, 2]]])~"),
            "statement 2: 2 values for 1 parameter; nothing was saved [SELECT ?]");
  EXPECT_EQ(batchFailure(R"~([["INSERT INTO t VALUES (3)", []], ["SELECT 1; SELECT 2", []]])~"),
            "statement 2: one statement only; more follows [ SELECT 2]; nothing was saved "
            "[SELECT 1; SELECT 2]");
  for (const char* control : {"COMMIT", "BEGIN", "SAVEPOINT s", "ROLLBACK", "END"}) {
    EXPECT_EQ(batchFailure(std::string("[[\"INSERT INTO t VALUES (4)\", []], [\"") + control +
                           "\", []]]"),
              std::string("statement 2: may not begin or end a transaction or savepoint; nothing "
                          "was saved [") +
                  control + "]");
  }
  EXPECT_EQ(unbound("SELECT count(*) FROM t"), (Values{"1", "0"}));
  // The connection is whole again for the next batch.
  EXPECT_EQ(batchFailure(R"~([["INSERT INTO t VALUES (?)", [5]]])~"), "");
  EXPECT_EQ(unbound("SELECT a FROM t"), (Values{"1", "5"}));
}

TEST_F(BoundBatch, PragmasAtItsHeadHoldForTheBatch) {
  connection_.execute(
      "CREATE TABLE p (id INTEGER PRIMARY KEY);"
      "CREATE TABLE c (p REFERENCES p (id) ON DELETE CASCADE);"
      "INSERT INTO p VALUES (1), (2); INSERT INTO c VALUES (1), (2);");
  EXPECT_EQ(batchFailure(R"~([["PRAGMA foreign_keys = ON", []], ["DELETE FROM p WHERE id = ?", [1]]])~"),
            "");
  EXPECT_EQ(unbound("SELECT p FROM c"), (Values{"1", "2"})) << "the child went with its parent";
  connection_.execute("PRAGMA foreign_keys = OFF");
  EXPECT_EQ(batchFailure(R"~([["DELETE FROM p WHERE id = ?", [2]], ["PRAGMA foreign_keys = ON", []]])~"),
            "");
  EXPECT_EQ(unbound("SELECT count(*) FROM c"), (Values{"1", "1"}))
      << "a pragma past the head runs inside the transaction, where this one does nothing";
}

TEST_F(BoundBatch, ShapesThatAreNoBatchAreRefusedBeforeAnythingRuns) {
  connection_.execute("CREATE TABLE t (a)");
  for (const char* bad : {"", "[", "{}", "[1] x", "\"[]\""}) {
    EXPECT_EQ(batchFailure(bad), "bound batch is not a JSON array of [sql, values] pairs") << bad;
  }
  for (const char* bad : {R"~([["INSERT INTO t VALUES (1)", []], "SELECT 1"])~",
                          R"~([["INSERT INTO t VALUES (1)", []], ["SELECT 1"]])~",
                          R"~([["INSERT INTO t VALUES (1)", []], ["SELECT ?", 1]])~",
                          R"~([["INSERT INTO t VALUES (1)", []], [1, []]])~",
                          R"~([["INSERT INTO t VALUES (1)", []], ["SELECT 1", [], []]])~"}) {
    EXPECT_EQ(batchFailure(bad), "statement 2 is not a [sql, values] pair") << bad;
  }
  EXPECT_EQ(batchFailure(R"~([["INSERT INTO t VALUES (1)", []], ["SELECT ?", [[1]]]])~"),
            "statement 2: cannot bind value [1]: not null, a number, a text, true, false or "
            "{\"base64\": text}; nothing was saved [SELECT ?]");
  EXPECT_EQ(batchFailure(R"~([["INSERT INTO t VALUES (1)", []], ["SELECT ?", "[1"]])~"),
            "statement 2: bound values are not a JSON array or object; nothing was saved "
            "[SELECT ?]");
  EXPECT_EQ(unbound("SELECT count(*) FROM t"), (Values{"1", "0"}));
}

}  // namespace
}  // namespace bridge
