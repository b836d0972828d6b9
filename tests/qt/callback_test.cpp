// Callback delivery from worker threads to page script.
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "bridge/callback.h"
#include "bridge/cmd_state.h"
#include "bridge/js_invoker.h"
#include "bridge/page.h"
#include "tests/support/engine.h"
#include "tests/support/qt_page.h"
#include "tests/support/scratch.h"

using support::evaluate;
using support::TestView;

namespace {

const char kCollector[] =
    "<html><body><script>"
    "var seen = [];"
    "function WebBrowserUtil_callback(r) { seen.push(r); }"
    "</script></body></html>";

// Records from a worker thread, numbered from `first`, posted before this returns.
void postFromWorker(bridge::Page* page, int first, int count) {
  std::thread([=] {
    for (int i = first; i < first + count; ++i) {
      bridge::deliverCallback(page, {"id", "pass", "progress", std::to_string(i)});
    }
  }).join();
}

bool logged(TestView& view, const std::string& prefix) {
  const auto& lines = view.hooks().lines;
  return std::any_of(lines.begin(), lines.end(),
                     [&](const std::string& line) { return line.rfind(prefix, 0) == 0; });
}

TEST(Callbacks, RecordsRunOnceEachInPostingOrderAcrossThreads) {
  TestView view(kCollector);
  bridge::Page* page = &view.view();

  // The lock fixes one global posting order for both threads.
  std::mutex postingOrder;
  int next = 0;
  const int perThread = 1500;
  auto post = [&](const char* who) {
    for (int i = 0; i < perThread; ++i) {
      std::lock_guard<std::mutex> lock(postingOrder);
      bridge::deliverCallback(page, {"id", "pass", "progress", std::to_string(next++), who});
    }
  };
  std::thread first(post, "first");
  std::thread second(post, "second");
  first.join();
  second.join();

  ASSERT_TRUE(support::waitForScript(view.view(), QStringLiteral("seen.length >= 3000")));
  support::processEventsFor(std::chrono::milliseconds(50));
  EXPECT_EQ(evaluate(view.view(), QStringLiteral("seen.length")).toInt(), 3000);
  EXPECT_TRUE(evaluate(view.view(), QStringLiteral("seen.every(function (r, i) {"
                                                   "  return r[3] === String(i) && r[1] === 'pass';"
                                                   "})"))
                  .toBool());
}

TEST(Callbacks, TextsReachTheScriptUnchanged) {
  TestView view(kCollector);
  const std::string tricky = "zażółć \"quoted\" \\ back\nslash </script> \u2028 \u2029 \u0085 end";
  std::thread([&] {
    bridge::deliverCallback(&view.view(), {"t", "pass", "finish", tricky});
  }).join();
  ASSERT_TRUE(support::waitForScript(view.view(), QStringLiteral("seen.length == 1")));
  EXPECT_EQ(evaluate(view.view(), QStringLiteral("seen[0][3]")).toString(),
            QString::fromStdString(tricky));
}

TEST(Callbacks, RefusedPagesGetNothing) {
  TestView view(kCollector);
  bridge::refuseCallbacksFor(&view.view());
  bridge::deliverCallback(&view.view(), {"never", "pass", "run"});
  support::processEventsFor(std::chrono::milliseconds(100));
  EXPECT_EQ(evaluate(view.view(), QStringLiteral("seen.length")).toInt(), 0);
}

TEST(Callbacks, APageGoneBeforeItsRecordsRunIsLeftAlone) {
  auto view = std::make_unique<TestView>(kCollector);
  TestView survivor(kCollector);
  bridge::Page* page = &view->view();
  for (int i = 0; i < 100; ++i) bridge::deliverCallback(page, {"late", "pass", "run"});
  bridge::deliverCallback(&survivor.view(), {"after", "pass", "run"});
  // The records are queued and their page goes before they run: each must
  // find it gone (under the sanitizers any touch of it is reported), and
  // the record queued after them must still run, in its own page only.
  view.reset();
  ASSERT_TRUE(support::waitForScript(survivor.view(), QStringLiteral("seen.length == 1")));
  EXPECT_EQ(evaluate(survivor.view(), QStringLiteral("JSON.stringify(seen)")).toString(),
            QStringLiteral("[[\"after\",\"pass\",\"run\"]]"));
}

TEST(Callbacks, ARecordThatThrowsDoesNotKeepTheNextFromRunning) {
  TestView view(
      "<script>var seen = [];"
      "function WebBrowserUtil_callback(r) { if (r[3] === '1') throw 'no'; seen.push(r[3]); }"
      "</script>");
  postFromWorker(&view.view(), 0, 3);
  ASSERT_TRUE(support::waitForScript(view.view(), QStringLiteral("seen.length == 2")));
  EXPECT_EQ(evaluate(view.view(), QStringLiteral("seen.join()")).toString(), QStringLiteral("0,2"));
}

// The page hears of an exception in its callback as of any error of its
// own: its message, line and the thrown object, and the log keeps the
// engine's console line.
TEST(Callbacks, AnExceptionInACallbackReachesThePagesErrorHandlerWhole) {
  TestView view(
      "<script>var errors = [];\n"
      "window.onerror = function (message, source, line, column, error) {\n"
      "  errors.push({message: message, source: source, line: line, record: error && error.record});\n"
      "};\n"
      "function WebBrowserUtil_callback(r) { var e = new Error('bad record ' + r[3]); e.record = r[3]; throw e; }\n"
      "</script>");
  postFromWorker(&view.view(), 0, 2);
  ASSERT_TRUE(support::waitForScript(view.view(), QStringLiteral("errors.length == 2")));
  const QVariantMap second = evaluate(view.view(), QStringLiteral("errors[1]")).toMap();
  EXPECT_TRUE(second[QStringLiteral("message")].toString().contains(QStringLiteral("bad record 1")))
      << second[QStringLiteral("message")].toString().toStdString();
  EXPECT_TRUE(second[QStringLiteral("source")].toString().endsWith(QStringLiteral("/index.html")))
      << second[QStringLiteral("source")].toString().toStdString();
  EXPECT_EQ(second[QStringLiteral("line")].toInt(), 5);
  // QtWebKit hands window.onerror no thrown object, not even for errors of
  // the page's own script.
  if (support::onWebEngine()) {
    EXPECT_EQ(second[QStringLiteral("record")].toString(), QStringLiteral("1"));
  }
  ASSERT_TRUE(QTest::qWaitFor([&] { return logged(view, "Message from "); }, 20000));
  const auto& lines = view.hooks().lines;
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
    return line.find("bad record 1") != std::string::npos;
  }));
}

TEST(Callbacks, RecordsKeepTheirOrderThroughAnEventLoopInsideARecord) {
  TestView view(
      "<script>var seen = [];"
      "function WebBrowserUtil_callback(r) { seen.push(Number(r[3])); if (r[3] === '1') alert(); }"
      "</script>");
  // The page's alert() becomes a log line; here it also spins an event loop
  // of its own, as a modal dialog does, after a worker has posted more.
  view.hooks().onLog = [&view](const std::string&) {
    postFromWorker(&view.view(), 100, 10);
    QTest::qWait(50);
  };
  postFromWorker(&view.view(), 0, 100);
  ASSERT_TRUE(support::waitForScript(view.view(), QStringLiteral("seen.length >= 110")));
  support::processEventsFor(std::chrono::milliseconds(50));
  EXPECT_EQ(evaluate(view.view(), QStringLiteral("seen.length")).toInt(), 110);
  EXPECT_TRUE(
      evaluate(view.view(), QStringLiteral("seen.every(function (n, i) { return n === i; })"))
          .toBool());
}

TEST(Callbacks, AWorkersLogLineIsWrittenBeforeTheRecordsItPostedAfterIt) {
  TestView view(
      "<script>var seen = 0;"
      "function WebBrowserUtil_callback(r) { seen++; if (r[3] === 'last') alert('worker line'); }"
      "</script>");
  bridge::CmdState state;
  bridge::setLogTarget(&state);
  bool sawLine = false;
  view.hooks().onLog = [&](const std::string&) {
    const std::vector<std::string> lines = support::logMessages(view.folder().path());
    sawLine = std::find(lines.begin(), lines.end(), "worker line") != lines.end();
  };
  std::thread([&] {
    bridge::deliverCallback(&view.view(), {"id", "pass", "progress", "first"});
    bridge::postLog("worker line");
    bridge::deliverCallback(&view.view(), {"id", "pass", "progress", "last"});
  }).join();
  ASSERT_TRUE(support::waitForScript(view.view(), QStringLiteral("seen == 2")));
  EXPECT_TRUE(sawLine);
  bridge::setLogTarget(nullptr);
}

// Local data never reaches remote content, nor a subframe.
TEST(Callbacks, RecordsGoToTheMainFrameEvenWhenAFrameHasTheFocus) {
  TestView view(
      "<script>var seen = [];"
      "function WebBrowserUtil_callback(r) { seen.push(r[3]); }</script>"
      "<iframe srcdoc=\"<script>var seen = [];"
      "function WebBrowserUtil_callback(r) { seen.push(r[3]); }</script><input>\"></iframe>");
  ASSERT_TRUE(support::waitForScript(
      view.view(), QStringLiteral("!!(frames[0] && frames[0].document.querySelector('input'))")));
  evaluate(view.view(), QStringLiteral("frames[0].focus(); "
                                       "frames[0].document.querySelector('input').focus()"));
  postFromWorker(&view.view(), 0, 1);
  ASSERT_TRUE(support::waitForScript(view.view(), QStringLiteral("seen.length == 1")));
  support::processEventsFor(std::chrono::milliseconds(50));
  EXPECT_EQ(evaluate(view.view(), QStringLiteral("frames[0].seen.length")).toInt(), 0);
}

TEST(Callbacks, ARemoteDocumentInTheMainFrameGetsNoRecord) {
  TestView view(kCollector);
  view.view().load(QUrl(QStringLiteral("about:blank")));
  ASSERT_TRUE(support::waitForLoad(view.view()));
  evaluate(view.view(), QStringLiteral("var seen = [];"
                                       "function WebBrowserUtil_callback(r) { seen.push(r); }"));
  postFromWorker(&view.view(), 0, 1);
  ASSERT_TRUE(QTest::qWaitFor([&] { return logged(view, "Callback not delivered"); }, 20000));
  EXPECT_EQ(evaluate(view.view(), QStringLiteral("seen.length")).toInt(), 0);
}

// A batch still on its way when the view goes may well have reached the
// page (one that exits right after a record, say): its loss is not claimed.
TEST(Callbacks, ABatchOnItsWayWhenTheViewGoesIsNotReportedLost) {
  auto view = std::make_unique<TestView>(kCollector);
  std::vector<std::string> lines;
  view->hooks().onLog = [&lines](const std::string& line) { lines.push_back(line); };
  view->view().deliverRecords({{"late", QStringLiteral("[\"late\",\"pass\",\"run\"]")}});
  view.reset();
  for (const std::string& line : lines) {
    EXPECT_EQ(line.find("Callback not delivered"), std::string::npos) << line;
  }
}

// A page that keeps what deliverRecords() is handed, call by call.
class BatchRecorder : public bridge::Page {
 public:
  void deliverRecords(const std::vector<bridge::PageRecord>& records) override {
    std::size_t chars = 0;
    for (const bridge::PageRecord& record : records) {
      chars += static_cast<std::size_t>(record.text.size());
      ids.push_back(record.id);
    }
    calls.push_back({records.size(), chars});
  }

  struct Call {
    std::size_t records;
    std::size_t chars;
  };
  std::vector<Call> calls;
  std::vector<std::string> ids;
};

TEST(Callbacks, OneCallTakesAFewMegabytesOfRecordsOrOneLargerRecordAlone) {
  BatchRecorder page;
  bridge::acceptCallbacksFor(&page);
  std::thread([&page] {
    const std::string mebibyte(1 << 20, 'x');
    for (int i = 0; i < 40; ++i) {
      bridge::deliverCallback(&page, {std::to_string(i), "pass", "progress", mebibyte});
    }
    bridge::deliverCallback(&page, {"large", "pass", "finish", std::string(10 << 20, 'y')});
    for (int i = 0; i < 3; ++i) bridge::deliverCallback(&page, {"small", "pass", "run"});
  }).join();
  ASSERT_TRUE(QTest::qWaitFor([&] { return page.ids.size() == 44; }, 20000));
  bridge::refuseCallbacksFor(&page);

  EXPECT_EQ(page.ids[39], "39");
  EXPECT_EQ(page.ids[40], "large");
  EXPECT_EQ(page.ids[43], "small");
  for (const BatchRecorder::Call& call : page.calls) {
    EXPECT_TRUE(call.records == 1 || call.chars <= bridge::kBatchChars)
        << call.records << " records, " << call.chars << " characters";
  }
}

// A record that arrives as the next document begins waits until it has
// loaded: its scripts, WebBrowserUtil_callback among them, have run then.
TEST(Callbacks, ARecordForANewDocumentWaitsUntilItHasLoaded) {
  TestView view(kCollector);
  support::writeFile(view.folder() / "next.html",
                     "<html><head><script src=\"next.js\"></script></head><body></body></html>");
  support::writeFile(view.folder() / "next.js",
                     "var seen = []; function WebBrowserUtil_callback(r) { seen.push(r); }");
  bridge::Page* page = &view.view();
  view.hooks().onDocument = [page](const QUrl& url) {
    if (url.fileName() == QStringLiteral("next.html")) {
      bridge::deliverCallback(page, {"early", "pass", "run"});
    }
  };
  evaluate(view.view(), QStringLiteral("location.href = 'next.html'"));
  ASSERT_TRUE(support::waitForLoad(view.view()));
  ASSERT_TRUE(
      support::waitForScript(view.view(), QStringLiteral("/next.html$/.test(location.href)")));
  EXPECT_TRUE(support::waitForScript(view.view(), QStringLiteral("seen.length == 1")));
  view.hooks().onDocument = nullptr;
}

TEST(Callbacks, ALocalDocumentThatReplacedTheSenderStillGetsItsRecords) {
  TestView view(kCollector);
  support::writeFile(view.folder() / "next.html", kCollector);
  evaluate(view.view(), QStringLiteral("location.href = 'next.html'"));
  ASSERT_TRUE(support::waitForLoad(view.view()));
  ASSERT_TRUE(
      support::waitForScript(view.view(), QStringLiteral("/next.html$/.test(location.href)")));
  postFromWorker(&view.view(), 0, 1);
  EXPECT_TRUE(support::waitForScript(view.view(), QStringLiteral("seen.length == 1")));
}

}  // namespace
