// Reading a query's rows: what a receiver is handed, in which order, and what
// happens when it gives up part way; statement batches applied whole or not
// at all.
#include "bridge/database/sqlite_connection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bridge/protocol/cmd_exception.h"
#include "tests/support/scratch.h"

namespace bridge {
namespace {

class CollectRows : public ::testing::Test {
 protected:
  std::vector<std::string> collect(const std::string& sql, QueryShape* shape = nullptr) {
    std::vector<std::string> values;
    const QueryShape found =
        connection_.collectRows(sql, [&](std::string_view value) { values.emplace_back(value); });
    if (shape != nullptr) *shape = found;
    return values;
  }

  support::Directory folder_{"collect-rows"};
  SqliteConnection connection_{folder_.path() + "/", "rows.sqlite"};
};

TEST_F(CollectRows, HandsTheColumnCountFirstThenEveryValueRowByRow) {
  connection_.execute("CREATE TABLE t (a, b); INSERT INTO t VALUES (1, 'x'), (NULL, 2.5);");
  EXPECT_EQ(collect("SELECT * FROM t"), (std::vector<std::string>{"2", "1", "x", "", "2.5"}));
  EXPECT_EQ(collect("SELECT * FROM t WHERE a = 42"), std::vector<std::string>{"0"});
}

TEST_F(CollectRows, ARaggedResultIsReportedAndItsFurtherValuesDropped) {
  QueryShape shape;
  const auto values = collect("SELECT 1, 2; SELECT 3; SELECT 4, 5;", &shape);
  EXPECT_FALSE(shape.uniform);
  EXPECT_EQ(shape.columns, 2u);
  EXPECT_EQ(values, (std::vector<std::string>{"2", "1", "2"}));
}

TEST_F(CollectRows, WhatTheReceiverThrowsStopsTheQueryAndLeavesTheConnectionUsable) {
  connection_.execute("CREATE TABLE t (a); INSERT INTO t VALUES (1), (2), (3);");
  int handed = 0;
  try {
    connection_.collectRows("SELECT a FROM t", [&](std::string_view) {
      if (++handed == 3) throw CmdException("answer too large [test]");
    });
    ADD_FAILURE() << "the receiver's exception was lost";
  } catch (const CmdException& e) {
    EXPECT_EQ(e.message(), "answer too large [test]");
  }
  EXPECT_EQ(handed, 3) << "no value after the one that failed";
  EXPECT_EQ(collect("SELECT count(*) FROM t"), (std::vector<std::string>{"1", "3"}));
}

TEST_F(CollectRows, ValuesComeWholeNulBytesIncluded) {
  const std::string nul(1, '\0');
  EXPECT_EQ(collect("SELECT 'a' || char(0) || 'b', x'610062', CAST(x'00' AS TEXT)"),
            (std::vector<std::string>{"3", "a" + nul + "b", "a" + nul + "b", nul}));
}

// The page's statements run inside the batch's own transaction: one that
// would end it, roll it back or open another is refused before it runs, so
// that nothing before it is saved on its own.
TEST_F(CollectRows, ABatchMayNotControlItsTransaction) {
  connection_.execute("CREATE TABLE c (n)");
  for (const char* control :
       {"COMMIT", "END TRANSACTION", "ROLLBACK", "BEGIN", "SAVEPOINT s", "RELEASE s"}) {
    Request request;
    for (const char* statement :
         {"INSERT INTO c VALUES (1)", control, "INSERT INTO c VALUES (2)", "SELECT * FROM no"}) {
      request.addText(statement);
    }
    try {
      connection_.execute(statementBatch(request, 0));
      ADD_FAILURE() << control << " ran";
    } catch (const CmdException& e) {
      EXPECT_EQ(e.message(), std::string("statement batch may not begin or end a transaction or "
                                         "savepoint; nothing was saved [") + control + "]");
    }
    EXPECT_EQ(collect("SELECT count(*) FROM c"), (std::vector<std::string>{"1", "0"})) << control;
  }
}

}  // namespace
}  // namespace bridge
