// What the window commands do to the real window, and the exit listener
// through real close events, with pages driving the commands.
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QWebView>

#include "app/main_window.h"
#include "tests/qt/shell_fixture.h"

using app::MainWindow;
using qtest::evaluate;
using qtest::ScratchDirectory;

namespace {

const char kPage[] =
    "<html><head><meta charset='utf-8'><script src='pageshell.js'></script></head>"
    "<body><script>"
    "function call() {"
    "  var request = ['1.0.3.20150320', 'qt'].concat([].slice.call(arguments));"
    "  myObject.command = JSON.stringify(request);"
    "  return myObject.result;"
    "}"
    "var exits = 0;"
    "var raw = [];"
    "pageshell.onUnrouted = function (record) { raw.push(JSON.stringify(record)); };"
    "</script></body></html>";

// The client library from the source tree, next to the page.
void copyClientLibrary(const ScratchDirectory& dir) {
  const QString source =
      QFileInfo(QStringLiteral(__FILE__)).absolutePath() + QStringLiteral("/../../js/pageshell.js");
  QVERIFY(QFile::copy(source, dir.path() + QStringLiteral("/pageshell.js")));
}

}  // namespace

class DesktopWindowTest : public QObject {
  Q_OBJECT

  ScratchDirectory* dir_ = nullptr;
  MainWindow* window_ = nullptr;
  QWebPage* page_ = nullptr;

  QString run(const QString& script) { return evaluate(page_, script).toString(); }

 private slots:
  void init() {
    dir_ = new ScratchDirectory(QLatin1String(kPage));
    copyClientLibrary(*dir_);
    window_ = new MainWindow({QStringLiteral("pageshell")});
    page_ = window_->webView()->page();
    QVERIFY(qtest::waitForLoad(page_));
    QCOMPARE(run(QStringLiteral("typeof pageshell")), QStringLiteral("object"));
    window_->show();
  }

  void cleanup() {
    delete window_;
    delete dir_;
  }

  void setTitleSetsTheWindowTitle() {
    run(QStringLiteral("call('setTitle', 'Zażółć — notatki 𝄞')"));
    QCOMPARE(window_->windowTitle(), QStringLiteral("Zażółć — notatki 𝄞"));
  }

  void windowStateFollowsThePageAndIsReadBack() {
    QCOMPARE(run(QStringLiteral("call('setWindowState', 2)")),
             QStringLiteral("[ \"OK\", \"2\" ]\n"));
    QVERIFY(window_->windowState().testFlag(Qt::WindowMaximized));

    run(QStringLiteral("call('setWindowState', 4)"));
    QCOMPARE(window_->windowState() & ~Qt::WindowActive, Qt::WindowStates(Qt::WindowFullScreen));

    // A change made outside the page shows in the next answer.
    window_->setWindowState(Qt::WindowMinimized);
    const QString answer = run(QStringLiteral("JSON.parse(call('getWindowState'))[1]"));
    QVERIFY2(answer.toInt() & 1, qPrintable(answer));

    run(QStringLiteral("call('setWindowState', 'not a number')"));
    QVERIFY(window_->windowState().testFlag(Qt::WindowMinimized));
    QVERIFY(window_->windowState().testFlag(Qt::WindowMaximized));
    QVERIFY(window_->windowState().testFlag(Qt::WindowFullScreen));
  }

  void closeWithAListenerTellsThePageAndStaysOpen() {
    QCOMPARE(run(QStringLiteral("call('addExitListener', 'first')")),
             QStringLiteral("[ \"OK\" ]\n"));
    run(QStringLiteral("call('addExitListener', 'second')"));
    QVERIFY(!window_->close());
    QVERIFY(!window_->close());
    QVERIFY(window_->isVisible());
    QVERIFY(qtest::waitForScript(page_, QStringLiteral("raw.length == 2")));
    QCOMPARE(run(QStringLiteral("raw.join()")),
             QStringLiteral("[\"second\",\"pass\",\"run\"],[\"second\",\"pass\",\"run\"]"));

    run(QStringLiteral("call('removeExitListener')"));
    QVERIFY(window_->close());
    QVERIFY(!window_->isVisible());
  }

  void clientLibraryExitHandlersRunOnClose() {
    run(QStringLiteral("pageshell.onExit(function () { exits += 1; });"
                       "pageshell.onExit(function () { exits += 10; });"));
    QVERIFY(!window_->close());
    QVERIFY(qtest::waitForScript(page_, QStringLiteral("exits == 11")));
    QVERIFY(!window_->close());
    QVERIFY(qtest::waitForScript(page_, QStringLiteral("exits == 22")));
    QCOMPARE(run(QStringLiteral("raw.length")).toInt(), 0);

    run(QStringLiteral("pageshell.clearExitHandlers()"));
    QVERIFY(window_->close());
    QTest::qWait(50);
    QCOMPARE(run(QStringLiteral("exits")).toInt(), 22);
  }
};

int main(int argc, char** argv) {
  qtest::prepareEnvironment();
  QApplication application(argc, argv);
  DesktopWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "desktop_window_test.moc"
