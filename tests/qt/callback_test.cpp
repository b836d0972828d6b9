// Callback delivery from worker threads to page script.
#include <QPointer>
#include <QTest>
#include <QWebFrame>
#include <QWebPage>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "bridge/callback.h"
#include "bridge/cmd_state.h"
#include "tests/support/qt_page.h"
#include "tests/support/scratch.h"

using support::evaluate;

namespace {

const char kCollector[] =
    "<html><body><script>"
    "var seen = [];"
    "function WebBrowserUtil_callback(r) { seen.push(r); }"
    "</script></body></html>";

std::unique_ptr<QWebPage> collectorPage() {
  auto page = std::make_unique<QWebPage>();
  page->mainFrame()->setHtml(QLatin1String(kCollector));
  return page;
}

// Records from a worker thread, numbered from `first`, posted before this returns.
void postFromWorker(QWebPage* page, int first, int count) {
  std::thread([=] {
    for (int i = first; i < first + count; ++i) {
      bridge::deliverCallback(page, {"id", "pass", "progress", std::to_string(i)});
    }
  }).join();
}

// A page whose alert() spins an event loop of its own, as a modal dialog
// does, after a worker has posted more records.
class NestingPage : public QWebPage {
 protected:
  void javaScriptAlert(QWebFrame*, const QString&) override {
    postFromWorker(this, 100, 10);
    QTest::qWait(50);
  }
};

// A page whose alert() notes whether the log of `folder` already holds a line.
class LogWatchingPage : public QWebPage {
 public:
  explicit LogWatchingPage(const support::PageFolder& folder) : folder_(folder) {}
  bool sawLine = false;

 protected:
  void javaScriptAlert(QWebFrame*, const QString& line) override {
    const std::vector<std::string> lines = support::logMessages(folder_.path());
    sawLine = std::find(lines.begin(), lines.end(), line.toStdString()) != lines.end();
  }

 private:
  const support::PageFolder& folder_;
};

TEST(Callbacks, RecordsRunOnceEachInPostingOrderAcrossThreads) {
  auto page = collectorPage();
  bridge::acceptCallbacksFor(page.get());

  // The lock fixes one global posting order for both threads.
  std::mutex postingOrder;
  int next = 0;
  const int perThread = 1500;
  auto post = [&](const char* who) {
    for (int i = 0; i < perThread; ++i) {
      std::lock_guard<std::mutex> lock(postingOrder);
      bridge::deliverCallback(page.get(), {"id", "pass", "progress", std::to_string(next++), who});
    }
  };
  std::thread first(post, "first");
  std::thread second(post, "second");
  first.join();
  second.join();

  ASSERT_TRUE(support::waitForScript(page.get(), QStringLiteral("seen.length >= 3000")));
  support::processEventsFor(std::chrono::milliseconds(50));
  EXPECT_EQ(evaluate(page.get(), QStringLiteral("seen.length")).toInt(), 3000);
  EXPECT_TRUE(evaluate(page.get(), QStringLiteral("seen.every(function (r, i) {"
                                                  "  return r[3] === String(i) && r[1] === 'pass';"
                                                  "})"))
                  .toBool());
  bridge::refuseCallbacksFor(page.get());
}

TEST(Callbacks, TextsReachTheScriptUnchanged) {
  auto page = collectorPage();
  bridge::acceptCallbacksFor(page.get());
  const std::string tricky = "zażółć \"quoted\" \\ back\nslash </script> \u2028 end";
  std::thread([&] { bridge::deliverCallback(page.get(), {"t", "pass", "finish", tricky}); }).join();
  ASSERT_TRUE(support::waitForScript(page.get(), QStringLiteral("seen.length == 1")));
  EXPECT_EQ(evaluate(page.get(), QStringLiteral("seen[0][3]")).toString(),
            QString::fromStdString(tricky));
  bridge::refuseCallbacksFor(page.get());
}

TEST(Callbacks, RefusedPagesGetNothing) {
  auto page = collectorPage();
  bridge::deliverCallback(page.get(), {"never", "pass", "run"});
  bridge::acceptCallbacksFor(page.get());
  bridge::refuseCallbacksFor(page.get());
  bridge::deliverCallback(page.get(), {"never", "pass", "run"});
  support::processEventsFor(std::chrono::milliseconds(100));
  EXPECT_EQ(evaluate(page.get(), QStringLiteral("seen.length")).toInt(), 0);
}

TEST(Callbacks, APageGoneBeforeItsRecordsRunIsLeftAlone) {
  auto page = collectorPage();
  auto survivor = collectorPage();
  bridge::acceptCallbacksFor(page.get());
  bridge::acceptCallbacksFor(survivor.get());
  for (int i = 0; i < 100; ++i) bridge::deliverCallback(page.get(), {"late", "pass", "run"});
  bridge::deliverCallback(survivor.get(), {"after", "pass", "run"});
  // The invokers are queued and their page goes before they run: each must
  // find it gone (under the sanitizers any touch of it is reported), and
  // the record queued after them must still run, in its own page only.
  QPointer<QWebPage> gone(page.get());
  bridge::refuseCallbacksFor(page.get());
  page.reset();
  EXPECT_TRUE(gone.isNull());
  ASSERT_TRUE(support::waitForScript(survivor.get(), QStringLiteral("seen.length == 1")));
  EXPECT_EQ(evaluate(survivor.get(), QStringLiteral("JSON.stringify(seen)")).toString(),
            QStringLiteral("[[\"after\",\"pass\",\"run\"]]"));
  bridge::refuseCallbacksFor(survivor.get());
}

TEST(Callbacks, ARecordThatThrowsDoesNotKeepTheNextFromRunning) {
  auto page = std::make_unique<QWebPage>();
  page->mainFrame()->setHtml(QStringLiteral(
      "<script>var seen = [];"
      "function WebBrowserUtil_callback(r) { if (r[3] === '1') throw 'no'; seen.push(r[3]); }"
      "</script>"));
  bridge::acceptCallbacksFor(page.get());
  postFromWorker(page.get(), 0, 3);
  ASSERT_TRUE(support::waitForScript(page.get(), QStringLiteral("seen.length == 2")));
  EXPECT_EQ(evaluate(page.get(), QStringLiteral("seen.join()")).toString(), QStringLiteral("0,2"));
  bridge::refuseCallbacksFor(page.get());
}

TEST(Callbacks, RecordsKeepTheirOrderThroughAnEventLoopInsideARecord) {
  NestingPage page;
  page.mainFrame()->setHtml(QStringLiteral(
      "<script>var seen = [];"
      "function WebBrowserUtil_callback(r) { seen.push(Number(r[3])); if (r[3] === '1') alert(); }"
      "</script>"));
  bridge::acceptCallbacksFor(&page);
  postFromWorker(&page, 0, 100);
  ASSERT_TRUE(support::waitForScript(&page, QStringLiteral("seen.length >= 110")));
  support::processEventsFor(std::chrono::milliseconds(50));
  EXPECT_EQ(evaluate(&page, QStringLiteral("seen.length")).toInt(), 110);
  EXPECT_TRUE(
      evaluate(&page, QStringLiteral("seen.every(function (n, i) { return n === i; })")).toBool());
  bridge::refuseCallbacksFor(&page);
}

TEST(Callbacks, AWorkersLogLineIsWrittenBeforeTheRecordsItPostedAfterIt) {
  support::PageFolder folder("<html></html>");
  bridge::CmdState state;
  bridge::setLogTarget(&state);
  LogWatchingPage page(folder);
  page.mainFrame()->setHtml(QStringLiteral(
      "<script>var seen = 0;"
      "function WebBrowserUtil_callback(r) { seen++; if (r[3] === 'last') alert('worker line'); }"
      "</script>"));
  bridge::acceptCallbacksFor(&page);
  std::thread([&] {
    bridge::deliverCallback(&page, {"id", "pass", "progress", "first"});
    bridge::postLog("worker line");
    bridge::deliverCallback(&page, {"id", "pass", "progress", "last"});
  }).join();
  ASSERT_TRUE(support::waitForScript(&page, QStringLiteral("seen == 2")));
  EXPECT_TRUE(page.sawLine);
  bridge::refuseCallbacksFor(&page);
  bridge::setLogTarget(nullptr);
}

}  // namespace
