// How long what a page sets up on the window lasts: an exit listener lives as
// long as the document that registered it, and a deletion the page asks for
// while a command waits in a dialog waits for the command.
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
#include "tests/support/qt_page.h"
#include "tests/support/scratch.h"

using app::MainWindow;
using support::evaluate;

namespace {

std::string page() { return support::recordingPage(); }

// A second local document with no script of its own.
void writeOtherPage() {
  QFile other(QStringLiteral("other.html"));
  ASSERT_TRUE(other.open(QIODevice::WriteOnly));
  other.write("<html><body><p>another page</p></body></html>");
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

TEST(WindowLifetime, ListenerGoesWithTheDocumentThatRegisteredIt) {
  const QList<QPair<const char*, QString>> replacements = {
      {"navigation to another local page", QStringLiteral("location.href = 'other.html'")},
      {"link to a remote page", QStringLiteral("location.href = 'http://127.0.0.1:9/'")},
      {"a document written over the page", QStringLiteral("location.href = 'data:text/html,x'")},
  };
  for (const auto& replacement : replacements) {
    // Chromium refuses a page's own navigation to a data: address; the
    // document stays, and so does its listener.
    if (support::onWebEngine() && replacement.second.contains(QStringLiteral("data:"))) continue;
    SCOPED_TRACE(replacement.first);
    support::PageFolder folder(page());
    writeOtherPage();
    MainWindow window({QStringLiteral("pageshell")});
    holdWindow(window);
    app::WebView& webPage = window.webView();
    evaluate(webPage, replacement.second);
    ASSERT_TRUE(support::waitForLoad(webPage));
    EXPECT_TRUE(window.close());
    EXPECT_FALSE(window.isVisible());
  }
}

TEST(WindowLifetime, AfterReloadOnlyTheNewDocumentsListenerHolds) {
  support::PageFolder folder(page());
  MainWindow window({QStringLiteral("pageshell")});
  holdWindow(window);
  app::WebView& webPage = window.webView();
  window.handle_reload();
  ASSERT_TRUE(support::waitForLoad(webPage));
  EXPECT_TRUE(window.close());
  window.show();
  evaluate(webPage, QStringLiteral("call('addExitListener', 'again')"));
  EXPECT_FALSE(window.close());
  ASSERT_TRUE(support::waitForScript(webPage, QStringLiteral("records.length == 1")));
  EXPECT_EQ(evaluate(webPage, QStringLiteral("records[0]")).toString(),
            QStringLiteral("[\"again\",\"pass\",\"run\"]"));
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
