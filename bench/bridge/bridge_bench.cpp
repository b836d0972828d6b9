// Bridge benchmarks, each next to its floor measured in the same run:
//  1. `version` round trips from page script through the real shell, against
//     a property set and get on myObject that does no work;
//  2. 10,000 callback records posted from a worker thread until the page has
//     run them all, against the same 10,000 scripts evaluated directly on the
//     GUI thread.
#include <QElapsedTimer>
#include <QWebFrame>
#include <QWebPage>

#include <cstdio>
#include <string>
#include <thread>

#include "bridge/callback.h"
#include "tests/support/page_runner.h"
#include "tests/support/qt_application.h"

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
  std::printf("round trips   floor (set+get result)   %10.0f /s\n", floorRate);
  std::printf("round trips   version                  %10.0f /s   ratio %.2f of the floor\n",
              versionRate, versionRate / floorRate);
}

const int kRecords = 10000;

const char kCollector[] =
    "<html><body><script>var seen = 0;"
    "function WebBrowserUtil_callback(r) { seen++; }</script></body></html>";

void waitForAll(QWebPage& page) {
  while (page.mainFrame()->evaluateJavaScript(QStringLiteral("seen")).toInt() < kRecords) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
}

void callbacks() {
  QWebPage page;
  page.mainFrame()->setHtml(QLatin1String(kCollector));
  bridge::acceptCallbacksFor(&page);

  QElapsedTimer timer;
  timer.start();
  std::thread worker([&page] {
    for (int i = 0; i < kRecords; ++i) {
      bridge::deliverCallback(&page, {"bench", "pass", "progress", std::to_string(i)});
    }
  });
  waitForAll(page);
  const double throughWorker = timer.nsecsElapsed() / 1e6;
  worker.join();

  page.mainFrame()->evaluateJavaScript(QStringLiteral("seen = 0"));
  timer.restart();
  for (int i = 0; i < kRecords; ++i) {
    page.mainFrame()->evaluateJavaScript(
        QString::fromStdString(bridge::callbackScript({"bench", "pass", "progress", std::to_string(i)})));
  }
  const double direct = timer.nsecsElapsed() / 1e6;
  bridge::refuseCallbacksFor(&page);

  std::printf("callbacks     %d scripts run directly       %8.1f ms\n", kRecords, direct);
  std::printf("callbacks     %d records from a worker      %8.1f ms   ratio %.2f of direct\n",
              kRecords, throughWorker, throughWorker / direct);
}

}  // namespace

int main(int argc, char** argv) {
  support::QtApplication application(argc, argv);
  roundTrips();
  callbacks();
  return 0;
}
