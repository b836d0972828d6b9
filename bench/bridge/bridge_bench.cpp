// Bridge benchmarks, each next to its floor measured in the same run:
//  1. `version` round trips from page script through the real shell, against
//     writing "[]" into `command` (refused at once) and reading `result`;
//  2. 10,000 callback records posted from a worker thread until the page has
//     run them all, against the same 10,000 scripts run as one script, and
//     evaluated one by one, on the GUI thread. Fastest of five rounds each.
// Both on the engine this build has.
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <string>
#include <thread>

#include "bridge/callback.h"
#include "tests/support/page_runner.h"
#include "tests/support/qt_application.h"
#include "tests/support/qt_page.h"

namespace {

double loggedRate(const e2e::PageRun& run, const std::string& name) {
  for (const std::string& message : e2e::messagesStartingWith(run, "BENCH " + name + " ")) {
    return std::atof(message.c_str() + 7 + name.size());
  }
  return 0;
}

void roundTrips() {
  const e2e::PageRun run = e2e::runPage("round_trips.html");
  const double floorRate = loggedRate(run, "floor");
  const double versionRate = loggedRate(run, "version");
  if (floorRate <= 0 || versionRate <= 0) {
    std::printf("round trips: the bench page did not report (exit %d)\n%s", run.exitCode,
                run.output.c_str());
    return;
  }
  std::printf("round trips   floor (command \"[]\", get result) %10.0f /s\n", floorRate);
  std::printf(
      "round trips   version                          %10.0f /s   ratio %.2f of the floor\n",
      versionRate, versionRate / floorRate);
}

const int kRecords = 10000;

const char kCollector[] =
    "<html><body><script>var seen = 0;"
    "function WebBrowserUtil_callback(r) { seen++; }</script></body></html>";

void waitForAll(app::WebView& page) {
  while (page.evaluate(QStringLiteral("seen")).toInt() < kRecords) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
}

// The anchors' script for record `i`: the page function called with the
// record's own text, nothing of the shell around it.
QString recordScript(int i) {
  const std::string script = "WebBrowserUtil_callback(" +
                             bridge::recordText({"bench", "pass", "progress", std::to_string(i)}) +
                             ");";
  return QString::fromUtf8(script.data(), static_cast<int>(script.size()));
}

// Milliseconds until the page has run kRecords records posted by a worker.
double throughWorker(app::WebView& page) {
  page.evaluate(QStringLiteral("seen = 0"));
  QElapsedTimer timer;
  timer.start();
  std::thread worker([&page] {
    for (int i = 0; i < kRecords; ++i) {
      bridge::deliverCallback(&page, {"bench", "pass", "progress", std::to_string(i)});
    }
  });
  waitForAll(page);
  const double ms = timer.nsecsElapsed() / 1e6;
  worker.join();
  return ms;
}

// Milliseconds for the same scripts run as one script.
double asOneScript(app::WebView& page) {
  page.evaluate(QStringLiteral("seen = 0"));
  QElapsedTimer timer;
  timer.start();
  QString all;
  for (int i = 0; i < kRecords; ++i) all += recordScript(i);
  page.evaluate(all);
  waitForAll(page);
  return timer.nsecsElapsed() / 1e6;
}

// Milliseconds for the same scripts evaluated one by one.
double oneByOne(app::WebView& page) {
  page.evaluate(QStringLiteral("seen = 0"));
  QElapsedTimer timer;
  timer.start();
  for (int i = 0; i < kRecords; ++i) page.evaluate(recordScript(i));
  return timer.nsecsElapsed() / 1e6;
}

// The sides take turns, so that the script engine's warming up and a machine
// busy with other work weigh on all alike; each keeps its fastest round.
void callbacks() {
  support::TestView view(kCollector);
  double worker = 1e300;
  double one = 1e300;
  double each = 1e300;
  for (int round = 0; round < 5; ++round) {
    worker = std::min(worker, throughWorker(view.view()));
    one = std::min(one, asOneScript(view.view()));
    each = std::min(each, oneByOne(view.view()));
  }
  std::printf("callbacks     %d scripts as one script       %8.1f ms   (%s)\n", kRecords, one,
              app::engineName());
  std::printf("callbacks     %d scripts evaluated each      %8.1f ms\n", kRecords, each);
  std::printf(
      "callbacks     %d records from a worker       %8.1f ms   ratio %.2f of one script,"
      " %.2f of each\n",
      kRecords, worker, worker / one, worker / each);
}

}  // namespace

int main(int argc, char** argv) {
  support::QtApplication application(argc, argv);
  // One measure alone, by name, for a profiler: "round-trips" or "callbacks".
  const std::string only = argc > 1 ? argv[1] : "";
  if (only.empty() || only == "round-trips") roundTrips();
  if (only.empty() || only == "callbacks") callbacks();
  return 0;
}
