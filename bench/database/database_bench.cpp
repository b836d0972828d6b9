// Database benchmarks, each next to the sqlite3 command-line shell doing the
// same work in the same run:
//  1. a query of 100,000 rows x 4 columns answered to the page and parsed
//     there with JSON.parse, against `sqlite3 -json` writing it to /dev/null;
//     the command alone (run, collect, write the answer) is given as well,
//     since the page's own JSON.parse takes most of the round trip;
//  2. a batch of 10,000 inserts through sqliteExecute, against the same batch
//     piped into sqlite3.
// Every figure is the fastest of three rounds.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/page_runner.h"

namespace {

namespace fs = std::filesystem;

const int kQueryRows = 100000;
const int kInserts = 10000;
const int kRounds = 3;
const char kQuery[] = "SELECT id, name, amount, note FROM items";
const char kCreateTable[] =
    "CREATE TABLE items (id INTEGER PRIMARY KEY, name TEXT, amount REAL, note TEXT)";

std::vector<std::string> insertStatements() {
  std::vector<std::string> statements{kCreateTable};
  for (int i = 1; i <= kInserts; ++i) {
    statements.push_back("INSERT INTO items (name, amount, note) VALUES ('name " +
                         std::to_string(i) + "', " + std::to_string(i) + ".25, 'note for row " +
                         std::to_string(i) + "')");
  }
  return statements;
}

// The same text sqliteExecute builds from the statements.
std::string batchText(const std::vector<std::string>& statements) {
  std::string batch = "BEGIN TRANSACTION;";
  for (const std::string& statement : statements) batch += statement + ";";
  return batch + "END TRANSACTION;";
}

std::string jsString(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

std::string benchData(const std::string& dir, const std::vector<std::string>& statements) {
  std::string js = "var BENCH = {dir: " + jsString(dir) + ", queryFile: \"query.sqlite\", query: " +
                   jsString(kQuery) + ", statements: [";
  for (size_t i = 0; i < statements.size(); ++i) {
    js += (i == 0 ? "" : ",") + jsString(statements[i]);
  }
  return js + "]};\n";
}

bool pipeInto(const std::string& command, const std::string& input) {
  FILE* pipe = popen(command.c_str(), "w");
  if (pipe == nullptr) return false;
  const bool written = std::fwrite(input.data(), 1, input.size(), pipe) == input.size();
  return pclose(pipe) == 0 && written;
}

double fastestMs(const std::function<bool(int round)>& work) {
  double best = 1e300;
  for (int round = 0; round < kRounds; ++round) {
    const auto started = std::chrono::steady_clock::now();
    if (!work(round)) return -1;
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - started;
    if (took.count() < best) best = took.count();
  }
  return best;
}

double logged(const e2e::PageRun& run, const std::string& name) {
  for (const std::string& message : e2e::messagesStartingWith(run, "BENCH " + name + " ")) {
    return std::atof(message.c_str() + 7 + name.size());
  }
  return -1;
}

}  // namespace

int main() {
  std::string dir = (fs::temp_directory_path() / "pageshell-dbbench-XXXXXX").string();
  if (mkdtemp(&dir[0]) == nullptr) return 1;
  dir += "/";

  const std::string fill = std::string(kCreateTable) +
                           ";WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                           "WHERE i < " + std::to_string(kQueryRows) + ") "
                           "INSERT INTO items (name, amount, note) SELECT 'name ' || i, i + 0.25, "
                           "'note for row ' || i FROM n;";
  if (!pipeInto("sqlite3 '" + dir + "query.sqlite'", fill)) {
    std::printf("database bench: the sqlite3 command-line shell is not usable\n");
    return 1;
  }
  const std::vector<std::string> statements = insertStatements();

  e2e::RunOptions options;
  options.files["bench_data.js"] = benchData(dir, statements);
  options.timeout = std::chrono::seconds(300);
  const e2e::PageRun run = e2e::runPage("bench_database.html", options);
  const double query = logged(run, "query");
  const double command = logged(run, "query-command");
  const double result = logged(run, "query-result");
  const double parse = logged(run, "query-parse");
  const double execute = logged(run, "execute");
  if (query < 0 || execute < 0 || logged(run, "query-rows") != kQueryRows ||
      logged(run, "execute-rowid") != kInserts) {
    std::printf("database bench: the page did not report (exit %d)\n%s", run.exitCode,
                run.output.c_str());
    for (const std::string& line : run.logLines) std::printf("%s\n", line.c_str());
    return 1;
  }

  const double cliQuery = fastestMs([&](int) {
    return std::system(("sqlite3 -json '" + dir + "query.sqlite' '" + kQuery + "' > /dev/null").c_str()) == 0;
  });
  const std::string batch = batchText(statements);
  const double cliInsert = fastestMs([&](int round) {
    return pipeInto("sqlite3 '" + dir + "cli-insert-" + std::to_string(round) + ".sqlite'", batch);
  });

  std::printf("query    %d rows x 4  sqlite3 -json > /dev/null      %8.1f ms\n", kQueryRows, cliQuery);
  std::printf("query    %d rows x 4  sqliteQuery + JSON.parse       %8.1f ms   ratio %.2f\n",
              kQueryRows, query, query / cliQuery);
  std::printf("         command %.1f ms, reading result %.1f ms, JSON.parse %.1f ms\n", command,
              result, parse);
  std::printf("query    %d rows x 4  sqliteQuery command alone        %8.1f ms   ratio %.2f\n",
              kQueryRows, command, command / cliQuery);
  std::printf("insert   %d rows      batch piped into sqlite3        %8.1f ms\n", kInserts, cliInsert);
  std::printf("insert   %d rows      sqliteExecute                   %8.1f ms   ratio %.2f\n",
              kInserts, execute, execute / cliInsert);

  std::error_code ignored;
  fs::remove_all(dir, ignored);
  fs::remove_all(run.directory, ignored);
  return 0;
}
