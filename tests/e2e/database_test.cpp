// The database commands, driven by pages through the real binary.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/support/page_runner.h"
#include "tests/support/sectioned_page.h"

namespace {

using e2e::messagesStartingWith;
using e2e::runPage;

bool isFile(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool isDirectory(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// What the sqlite3 command-line shell prints for `sql` on the database at
// `path`, or "" when it could not run.
std::string sqliteShell(const std::string& path, const std::string& sql) {
  FILE* pipe = popen(("sqlite3 '" + path + "' '" + sql + "' 2>&1").c_str(), "r");
  if (pipe == nullptr) return std::string();
  std::string output;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
  pclose(pipe);
  return output;
}

// The synchronous database commands: one run of their page for the tests of
// its parts.
class DatabaseCommands : public e2e::SectionedPage<DatabaseCommands> {
 public:
  static e2e::PageRun runOnce() { return runPage("db_commands.html"); }
};

TEST_F(DatabaseCommands, OpeningMakesTheFileWhereThePathsJoinAsGiven) {
  EXPECT_EQ(section("opening and rows"), "");
  const std::string& dir = run().directory;
  EXPECT_TRUE(isFile(dir + "/data/app.sqlite"));
  EXPECT_TRUE(isFile(dir + "/data/fresh.sqlite")) << "an execute without statements still opens";
  // Directory and file name are joined as given: "pre" is made, and the
  // database lands beside it as "prefix.sqlite".
  EXPECT_TRUE(isDirectory(dir + "/pre"));
  EXPECT_TRUE(isFile(dir + "/prefix.sqlite"));
}

TEST_F(DatabaseCommands, Utf8TextComesBackAsItWentIn) { EXPECT_EQ(section("utf-8"), ""); }

TEST_F(DatabaseCommands, ABatchIsAllOrNothing) {
  EXPECT_EQ(section("batches"), "");
  EXPECT_EQ(
      messagesStartingWith(run(), "Command failed [sqliteExecute]: no such table: nope").size(),
      1u);
}

TEST_F(DatabaseCommands, QueryFailuresAreAnsweredAndLogged) {
  EXPECT_EQ(section("query failures"), "");
  EXPECT_EQ(
      messagesStartingWith(run(), "Command failed [sqliteQuery]: sqliteQuery - bad column count")
          .size(),
      1u);
}

TEST_F(DatabaseCommands, ALongAnswerParsesWhole) { EXPECT_EQ(section("long answers"), ""); }

TEST_F(DatabaseCommands, ExecuteFileAnswersAndOpensNothing) {
  EXPECT_EQ(section("execute file"), "");
  EXPECT_FALSE(isFile(run().directory + "/data/never.sqlite"));
}

TEST_F(DatabaseCommands, ADatabaseThatCannotBeOpenedIsAnsweredAsSuch) {
  EXPECT_EQ(section("unopenable database"), "");
  EXPECT_FALSE(isDirectory(run().directory + "/missing"));
}

TEST(DatabaseAsync, RecordsArriveOnceAndWorkersMeetSyncCommands) {
  const e2e::PageRun run = runPage("db_async.html");
  ASSERT_EQ(e2e::failureReport(run), "");
  EXPECT_TRUE(isFile(run.directory + "/data/async.sqlite"));
}

TEST(DatabaseAsync, CommandsPastTheQueuesBoundsAreRefusedAtOnce) {
  const e2e::PageRun run = runPage("db_queue.html");
  EXPECT_EQ(e2e::failureReport(run), "");
}

TEST(DatabaseClientLibrary, PromisesSettleOnRealRecords) {
  const e2e::PageRun run = runPage("db_client.html");
  EXPECT_EQ(e2e::failureReport(run), "");
}

// The bound commands: one run of their page for the tests of its parts.
class DatabaseBound : public e2e::SectionedPage<DatabaseBound> {
 public:
  static e2e::PageRun runOnce() { return runPage("db_bound.html"); }
};

TEST_F(DatabaseBound, ValuesKeepTheirTypesAndAnswersKeepTheUnboundForms) {
  EXPECT_EQ(section("values keep their types"), "");
  // The hostile text went in as data: the table is whole.
  EXPECT_EQ(sqliteShell(run().directory + "/data/bound.sqlite", "SELECT count(*) FROM notes"),
            "4\n");
}

TEST_F(DatabaseBound, ValuesThatDoNotFitAreRefusedAndChangeNothing) {
  EXPECT_EQ(section("values that do not fit are refused"), "");
}

TEST_F(DatabaseBound, AsynchronousExecuteReportsOutcomesInRecordsAndTheLog) {
  EXPECT_EQ(section("asynchronous execute"), "");
  EXPECT_EQ(messagesStartingWith(run(), "Command failed [sqliteAsyncExecuteBound]: ").size(), 2u);
}

TEST_F(DatabaseBound, AsynchronousQueryRecordsMatchTheUnboundQuerys) {
  EXPECT_EQ(section("asynchronous query"), "");
}

TEST_F(DatabaseBound, ABatchIsStoredWholeOrNotAtAllWithItsHeadPragmas) {
  EXPECT_EQ(section("batches"), "");
}

TEST(DatabaseBoundClient, TheClientLibraryBindsRowsBlobsAndFailures) {
  const e2e::PageRun run = runPage("db_bound_client.html");
  EXPECT_EQ(e2e::failureReport(run), "");
}

TEST(DatabaseExit, ExitWithQueuedWorkersEndsCleanly) {
  const e2e::PageRun run = runPage("db_exit.html");
  ASSERT_EQ(e2e::failureReport(run), "");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(messagesStartingWith(run, "records before exit: ").size(), 1u);

  // The shell left after its grace period, while the endless batch ran: the
  // file holds whole batches only, and never that one's.
  const std::string count =
      sqliteShell(run.directory + "/data/exit.sqlite", "SELECT count(*) FROM ballast");
  char* end = nullptr;
  const long rows = std::strtol(count.c_str(), &end, 10);
  ASSERT_NE(end, count.c_str()) << count;
  EXPECT_EQ(rows % 400000, 0) << rows;
  EXPECT_LT(rows, 20 * 400000);
}

}  // namespace
