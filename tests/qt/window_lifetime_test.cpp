// How long what a page sets up on the window lasts: an exit listener holds
// while the main frame shows local documents, and a deletion the page asks
// for while a command waits in a dialog waits for the command.
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <utility>

#include "app/main_window.h"
#include "bridge/callback.h"
#include "tests/support/engine.h"
#include "tests/support/local_peer.h"
#include "tests/support/qt_page.h"
#include "tests/support/scratch.h"

using app::MainWindow;
using support::evaluate;

namespace {

std::string page() { return support::recordingPage(); }

// A second local document, that keeps the records it gets.
void writeOtherPage() {
  QFile other(QStringLiteral("other.html"));
  ASSERT_TRUE(other.open(QIODevice::WriteOnly));
  other.write(page().c_str());
}

// Shows the window on the page and has its document register "bye", so that
// the window cannot be closed.
void holdWindow(MainWindow& window) {
  window.show();
  ASSERT_TRUE(support::waitForLoad(window.webView()));
  evaluate(window.webView(), QStringLiteral("call('addExitListener', 'bye')"));
  ASSERT_FALSE(window.close());
  ASSERT_TRUE(support::waitForScript(window.webView(), QStringLiteral("records.length == 1")));
}

// A reload or another local page keeps the listener: the window stays open
// and the new document is told.
TEST(WindowLifetime, ListenerHoldsWhileTheMainFrameShowsLocalDocuments) {
  const QList<QPair<const char*, std::function<void(MainWindow&)>>> moves = {
      {"the page reloads itself",
       [](MainWindow& window) { evaluate(window.webView(), QStringLiteral("location.reload()")); }},
      {"navigation to another local page",
       [](MainWindow& window) {
         evaluate(window.webView(), QStringLiteral("location.href = 'other.html'"));
       }},
      {"the debug menu's RELOAD", [](MainWindow& window) { window.handle_reload(); }},
  };
  for (const auto& move : moves) {
    SCOPED_TRACE(move.first);
    support::PageFolder folder(page());
    writeOtherPage();
    MainWindow window({QStringLiteral("pageshell")});
    holdWindow(window);
    app::WebView& webPage = window.webView();
    evaluate(webPage, QStringLiteral("var before = true"));
    move.second(window);
    ASSERT_TRUE(support::waitForScript(
        webPage, QStringLiteral("typeof before == 'undefined' && typeof records == 'object'")));
    EXPECT_FALSE(window.close());
    ASSERT_TRUE(support::waitForScript(webPage, QStringLiteral("records.length == 1")));
    EXPECT_EQ(evaluate(webPage, QStringLiteral("records[0]")).toString(),
              QStringLiteral("[\"bye\",\"pass\",\"run\"]"));
  }
}

// A remote document takes the listener away, one that runs no script and so
// tells the shell nothing as well: closing the window closes it.
TEST(WindowLifetime, ARemoteDocumentTakesTheListenerAway) {
  const std::string body = "<html><body><script>function WebBrowserUtil_callback() {}</script>"
                           "sandboxed</body></html>";
  support::LocalPeer sandboxed(support::LocalPeer::answering(
      "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Security-Policy: sandbox\r\n"
      "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body));
  const QList<QPair<const char*, QString>> replacements = {
      {"a remote page that may run no script", QString::fromStdString(sandboxed.url("/"))},
      {"a remote page that cannot be reached", QStringLiteral("http://127.0.0.1:9/")},
      {"a document written over the page", QStringLiteral("data:text/html,x")},
  };
  for (const auto& replacement : replacements) {
    // Chromium refuses a page's own navigation to a data: address; the
    // document stays, and so does its listener.
    if (support::onWebEngine() && replacement.second.startsWith(QStringLiteral("data:"))) continue;
    SCOPED_TRACE(replacement.first);
    support::PageFolder folder(page());
    MainWindow window({QStringLiteral("pageshell")});
    holdWindow(window);
    app::WebView& webPage = window.webView();
    evaluate(webPage, QStringLiteral("location.href = '%1'").arg(replacement.second));
    ASSERT_TRUE(support::waitForLoad(webPage));
    EXPECT_TRUE(window.close());
    EXPECT_FALSE(window.isVisible());
  }
}

// Watches for a modal dialog: on the first tick that sees one, `ask` asks for
// the window's deletion; on the fourth, the dialog is cancelled, so that its
// own loop has run in between. Counts the ticks that saw the dialog.
class DialogWatch {
 public:
  DialogWatch(QPointer<MainWindow>& window, std::function<void()> ask)
      : window_(window), ask_(std::move(ask)) {
    poll_.setInterval(20);
    QObject::connect(&poll_, &QTimer::timeout, [this] { tick(); });
    poll_.start();
  }

  int ticks = 0;
  bool windowThereWhenCancelled = false;

 private:
  void tick() {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    if (++ticks == 1) {
      ask_();
    } else if (ticks == 4) {
      windowThereWhenCancelled = !window_.isNull();
      dialog->reject();
    }
  }

  QPointer<MainWindow>& window_;
  std::function<void()> ask_;
  QTimer poll_;
};

// The page deletes the window from inside each command that waits in a
// modal dialog; the command still ends with its answer, then the window goes.
TEST(WindowLifetime, DeletionWaitsForTheCommandInItsDialog) {
  const QStringList commands = {
      QStringLiteral("call('showFileDialog', 'Pick', '')"),
      QStringLiteral("call('showDirectoryDialog', 'Pick')"),
      QStringLiteral("call('printPreview')"),
      QStringLiteral(
          "call('generatePdfPreview', "
          "'{\"size\":{\"width\":\"100\",\"height\":\"150\"},\"pages\":[{\"elems\":[]}]}')"),
  };
  for (const QString& command : commands) {
    SCOPED_TRACE(command.toStdString());
    support::PageFolder folder(page());
    QPointer<MainWindow> window = new MainWindow({QStringLiteral("pageshell")});
    window->show();
    app::WebView& webPage = window->webView();
    ASSERT_TRUE(support::waitForLoad(webPage));
    // What myObject.deleteLater() asks.
    DialogWatch watch(window, [&window] { window->requestDeletion(); });
    const QString answer = evaluate(webPage, command).toString();
    EXPECT_GE(watch.ticks, 4);
    EXPECT_FALSE(window.isNull());
    EXPECT_TRUE(answer.startsWith(QStringLiteral("[ \"OK\"")) ||
                answer.startsWith(QStringLiteral("[ \"ERROR\"")))
        << answer.toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&window] { return window.isNull(); }, 20000));
  }
}

// The page's own confirm() runs an event loop too: a record that arrives
// meanwhile and deletes the window must not end it under the dialog.
TEST(WindowLifetime, DeletionWaitsForThePagesOwnDialog) {
  support::PageFolder folder(page());
  QPointer<MainWindow> window = new MainWindow({QStringLiteral("pageshell")});
  window->show();
  app::WebView& webPage = window->webView();
  ASSERT_TRUE(support::waitForLoad(webPage));
  // Watching before the script runs: an engine may open the confirm() while
  // the evaluation still waits for its value.
  DialogWatch watch(window, [&webPage] {
    std::thread([&webPage] { bridge::deliverCallback(&webPage, {"gone", "pass", "run"}); }).join();
  });
  evaluate(webPage,
           QStringLiteral("WebBrowserUtil_callback = function () { myObject.deleteLater(); };"
                          "setTimeout(function () { confirm('Sure?'); }, 0)"));
  EXPECT_TRUE(QTest::qWaitFor([&window] { return window.isNull(); }, 20000));
  EXPECT_GE(watch.ticks, 4);
  EXPECT_TRUE(watch.windowThereWhenCancelled);
}

}  // namespace
