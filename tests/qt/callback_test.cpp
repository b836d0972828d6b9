// Callback delivery from worker threads to page script.
#include <QPointer>
#include <QWebFrame>
#include <QWebPage>

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "bridge/callback.h"
#include "tests/support/qt_page.h"

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

}  // namespace
