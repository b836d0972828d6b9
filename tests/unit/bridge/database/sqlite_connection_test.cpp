// Reading a query's rows: what a receiver is handed, in which order, and what
// happens when it gives up part way.
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

}  // namespace
}  // namespace bridge
