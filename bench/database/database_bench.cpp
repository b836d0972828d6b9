// Database benchmarks, each next to the sqlite3 command-line shell doing the
// same work in the same run:
//  1. a query of 100,000 rows x 4 columns answered to the page and parsed
//     there with JSON.parse, against `sqlite3 -json` writing it to /dev/null;
//     the command alone (run, collect, write the answer) is given as well,
//     since the page's own JSON.parse takes most of the round trip, and the
//     shell's own part of it, the answer's text made without a page, and
//     the engine's part: its own reading of the same text from a local
//     file with a synchronous request, which no way into the page beats. The
//     query runs on one table per shape of data (random-length text,
//     non-ASCII text, integers, reals, NULLs, BLOBs, Polish text with NULLs
//     and BLOBs among it, and all of them mixed): the figure is the worst
//     shape's;
//  2. a batch of 10,000 inserts through sqliteExecute, against the same batch
//     piped into sqlite3.
// Every figure is the fastest of six rounds.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "bench/page_bench.h"
#include "bridge/cmd_state.h"
#include "tests/support/page_runner.h"

namespace {

using bench::logged;

const int kQueryRows = 100000;
const int kInserts = 10000;
const int kRounds = 2;  // in each turn, on each side
const int kTurns = 3;
const char kCreateTable[] =
    "CREATE TABLE items (id INTEGER PRIMARY KEY, name TEXT, amount REAL, note TEXT)";

// Random text of 0 to 126 bytes: words of hexadecimal digits between blanks,
// now and then a double quote or a line feed.
const char kRandomText[] =
    "replace(replace(replace(lower(hex(randomblob(abs(random()) % 64))), 'a', ' '), 'bc', '\"'), "
    "'de', char(10))";
// 0 to 59 characters of several scripts, from two- to four-byte UTF-8.
const char kNonAsciiText[] =
    "substr('Zażółć gęślą jaźń, Ärger über Öl. Ελληνικά κείμενα. Русский текст. "
    "日本語のテキスト、中文字符。한국어 문장. 😀🎉🚀 ', 1 + abs(random()) % 60, abs(random()) % 60)";
// 0 to 59 characters of Polish: mostly ASCII, a two-byte letter now and then.
const char kPolishText[] =
    "substr('Zażółć gęślą jaźń. Pchnąć w tę łódź jeża lub ośm skrzyń fig. Źdźbło łąki, "
    "żółw i ćma. ', 1 + abs(random()) % 60, abs(random()) % 60)";

// One table per shape of data: each holds kQueryRows rows of four columns.
struct Shape {
  const char* name;
  const char* columns;  // four expressions, evaluated per row
};

const Shape kShapes[] = {
    {"text", "%T, %T, %T, %T"},
    {"non-ASCII", "%U, %U, %U, %U"},
    {"integers", "i, random(), random() % 1000, abs(random()) % 100000"},
    {"reals",
     "random() / 1e7, (abs(random()) % 100000) / 100.0, 1.0 / (abs(random()) % 1000 + 1), "
     "random() * 1e10"},
    {"NULLs", "NULL, NULL, NULL, NULL"},
    {"BLOBs",
     "randomblob(abs(random()) % 48), randomblob(8), randomblob(abs(random()) % 16), "
     "zeroblob(abs(random()) % 4)"},
    {"Polish",
     "i, %P, CASE WHEN i % 4 THEN %P END, CASE WHEN i % 7 THEN %P ELSE randomblob(8) END"},
    {"mixed",
     "i, %T, CASE WHEN i % 3 THEN i + 0.25 END, CASE WHEN i % 5 THEN %U ELSE randomblob(6) END"},
};

std::string tableName(const Shape& shape) {
  std::string name = "shape_";
  for (char c : std::string(shape.name)) name += c == '-' ? '_' : c;
  return name;
}

std::string queryOf(const Shape& shape) { return "SELECT * FROM " + tableName(shape); }

std::string expand(std::string columns) {
  for (const auto& [mark, text] : {std::pair{"%T", kRandomText}, std::pair{"%U", kNonAsciiText},
                                   std::pair{"%P", kPolishText}}) {
    for (std::size_t at; (at = columns.find(mark)) != std::string::npos;) {
      columns.replace(at, 2, text);
    }
  }
  return columns;
}

std::string fillScript() {
  std::string script;
  for (const Shape& shape : kShapes) {
    script += "CREATE TABLE " + tableName(shape) +
              " (a, b, c, d);"
              "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
              std::to_string(kQueryRows) + ") INSERT INTO " + tableName(shape) + " SELECT " +
              expand(shape.columns) + " FROM n;";
  }
  return script;
}

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

std::string benchData(const std::string& dir, int turn,
                      const std::vector<std::string>& statements) {
  std::string js = "var BENCH = {dir: " + jsString(dir) + ", insertPrefix: \"insert-" +
                   std::to_string(turn) + "-\", queryFile: \"query.sqlite\", queries: [";
  for (const Shape& shape : kShapes) {
    js += (&shape == kShapes ? "" : ",") + std::string("{name: ") + jsString(shape.name) +
          ", sql: " + jsString(queryOf(shape)) + "}";
  }
  js += "], statements: [";
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
    const std::chrono::duration<double, std::milli> took =
        std::chrono::steady_clock::now() - started;
    if (took.count() < best) best = took.count();
  }
  return best;
}

}  // namespace

// The fastest figures of every turn.
struct QueryFigures {
  double cli = 1e300;
  double whole = 1e300;  // the page's round trip, JSON.parse included
  double command = 1e300;
  double own = 1e300;  // the answer's text made in this process, without a page
  double engine = 1e300;  // the page's engine reading the same text from a local file
  double result = 0;   // reading `result` and JSON.parse in the fastest round trip
  double parse = 0;
};

int main() {
  const support::Directory scratch("dbbench");
  const std::string dir = scratch.path() + "/";

  if (!pipeInto("sqlite3 '" + dir + "query.sqlite'", fillScript())) {
    std::printf("database bench: the sqlite3 command-line shell is not usable\n");
    return 1;
  }
  const std::vector<std::string> statements = insertStatements();
  const std::string batch = batchText(statements);

  e2e::RunOptions options;
  options.timeout = std::chrono::seconds(600);
  std::vector<QueryFigures> figures(std::size(kShapes));
  double execute = 1e300;
  double cliInsert = 1e300;
  bridge::CmdState ownPart;
  // The shell and sqlite3 take turns, so that a machine busy with other work
  // slows both alike.
  for (int turn = 0; turn < kTurns; ++turn) {
    options.files["bench_data.js"] = benchData(dir, turn, statements);
    bench::addPageScript(options);
    const e2e::PageRun run = e2e::runPage("bench_database.html", options);
    bool reported = logged(run, "execute") >= 0 && logged(run, "execute-rowid") == kInserts;
    for (const Shape& shape : kShapes) {
      const std::string name = std::string("query-") + shape.name;
      reported = reported && logged(run, name) >= 0 && logged(run, name + "-rows") == kQueryRows;
    }
    if (!reported) {
      std::printf("database bench: the page did not report (exit %d)\n%s", run.exitCode,
                  run.output.c_str());
      for (const std::string& line : run.logLines) std::printf("%s\n", line.c_str());
      return 1;
    }
    for (std::size_t k = 0; k < figures.size(); ++k) {
      QueryFigures& shape = figures[k];
      const std::string name = std::string("query-") + kShapes[k].name;
      shape.cli = std::min(shape.cli, fastestMs([&](int) {
                             return std::system(("sqlite3 -json '" + dir + "query.sqlite' '" +
                                                 queryOf(kShapes[k]) + "' > /dev/null")
                                                    .c_str()) == 0;
                           }));
      shape.command = std::min(shape.command, logged(run, name + "-command"));
      shape.engine = std::min(shape.engine, logged(run, name + "-engine"));
      shape.own =
          std::min(shape.own, fastestMs([&](int) {
                     return !ownPart.sqliteQuery(dir, "query.sqlite", queryOf(kShapes[k])).empty();
                   }));
      if (logged(run, name) < shape.whole) {
        shape.whole = logged(run, name);
        shape.result = logged(run, name + "-result");
        shape.parse = logged(run, name + "-parse");
      }
    }
    execute = std::min(execute, logged(run, "execute"));
    cliInsert =
        std::min(cliInsert, fastestMs([&](int round) {
                   return pipeInto("sqlite3 '" + dir + "cli-insert-" + std::to_string(turn) + "-" +
                                       std::to_string(round) + ".sqlite'",
                                   batch);
                 }));
  }

  std::printf("query    %d rows x 4, fastest of %d; ratios to sqlite3 -json > /dev/null\n",
              kQueryRows, kTurns * kRounds);
  std::printf("  %-10s %9s %9s %6s %9s %6s %9s %6s %9s %6s   %s\n", "shape", "sqlite3", "own",
              "ratio", "engine", "ratio", "command", "ratio", "+parse", "ratio",
              "(reading result, JSON.parse)");
  double worstOwn = 0;
  double worstCommand = 0;
  double worstWhole = 0;
  for (std::size_t k = 0; k < figures.size(); ++k) {
    const QueryFigures& shape = figures[k];
    worstOwn = std::max(worstOwn, shape.own / shape.cli);
    worstCommand = std::max(worstCommand, shape.command / shape.cli);
    worstWhole = std::max(worstWhole, shape.whole / shape.cli);
    std::printf(
        "  %-10s %6.1f ms %6.1f ms %6.2f %6.1f ms %6.2f %6.1f ms %6.2f %6.1f ms %6.2f   (%.1f ms, "
        "%.1f ms)\n",
        kShapes[k].name, shape.cli, shape.own, shape.own / shape.cli, shape.engine,
        shape.engine / shape.cli, shape.command,
        shape.command / shape.cli, shape.whole, shape.whole / shape.cli, shape.result, shape.parse);
  }
  std::printf(
      "query    worst shape: own part ratio %.2f, command alone ratio %.2f, with JSON.parse ratio "
      "%.2f\n",
      worstOwn, worstCommand, worstWhole);
  std::printf("insert   %d rows      batch piped into sqlite3        %8.1f ms\n", kInserts,
              cliInsert);
  std::printf("insert   %d rows      sqliteExecute                   %8.1f ms   ratio %.2f\n",
              kInserts, execute, execute / cliInsert);
  return 0;
}
