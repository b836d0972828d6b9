// The window's own behaviour, which pages cannot reach: the debug menu, its
// actions, the close event with and without an exit listener, and which
// documents get `myObject`.
#include <QAction>
#include <QApplication>
#include <QDate>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPrintPreviewDialog>
#include <QTest>
#include <QTimer>
#include <QWebFrame>
#include <QWebView>

#include "app/main_window.h"
#include "tests/qt/shell_fixture.h"

using app::MainWindow;
using qtest::evaluate;
using qtest::ScratchDirectory;

namespace {

const char kPage[] =
    "<html><body><p id='marker'>page marker 17</p><script>"
    "var records = [];"
    "function WebBrowserUtil_callback(r) { records.push(JSON.stringify(r)); }"
    "</script></body></html>";

const char kVersionCall[] =
    "myObject.command = JSON.stringify(['1.0.3.20150320', 't', 'version']); myObject.result";

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void formHasItsNamedWidgets() {
    ScratchDirectory dir(kPage);
    MainWindow window({QStringLiteral("pageshell")});
    for (const char* name : {"centralWidget", "verticalLayout", "webView", "graphicsView",
                             "menuBar", "menuDEBUG", "actionDUMP", "actionRELOAD",
                             "actionPrint_Preview"}) {
      QVERIFY2(window.findChild<QObject*>(QLatin1String(name)) != nullptr, name);
    }
    auto* menu = window.findChild<QMenu*>(QStringLiteral("menuDEBUG"));
    QCOMPARE(menu->title(), QStringLiteral("DEBUG"));
    QStringList texts;
    for (QAction* action : menu->actions()) texts << action->text();
    QCOMPARE(texts, (QStringList{"DUMP", "RELOAD", "Print Preview"}));
    QCOMPARE(window.webView()->contextMenuPolicy(), Qt::PreventContextMenu);
    QVERIFY(!window.webView()->acceptDrops());
  }

  void debugMenuOnlyWithTheExactSwitch() {
    ScratchDirectory dir(kPage);
    const QList<QPair<QStringList, bool>> cases = {
        {{"pageshell"}, false},
        {{"pageshell", "-DEBUG"}, false},
        {{"pageshell", "--debug"}, false},
        {{"-debug"}, false},  // the program name is never an option
        {{"pageshell", "-debug"}, true},
        {{"pageshell", "x", "-debug"}, true},
    };
    for (const auto& c : cases) {
      MainWindow window(c.first);
      window.show();
      auto* bar = window.findChild<QMenuBar*>(QStringLiteral("menuBar"));
      QVERIFY2(bar->isVisible() == c.second, qPrintable(c.first.join(' ')));
    }
  }

  void dumpWritesTheCurrentHtml() {
    ScratchDirectory dir(kPage);
    MainWindow window({QStringLiteral("pageshell"), QStringLiteral("-debug")});
    QVERIFY(qtest::waitForLoad(window.webView()->page()));
    window.findChild<QAction*>(QStringLiteral("actionDUMP"))->trigger();
    const QStringList dumps = QDir(dir.path()).entryList({QStringLiteral("debug-*.html")});
    QCOMPARE(dumps.size(), 1);
    QVERIFY(dumps[0].startsWith(
        QStringLiteral("debug-") + QDate::currentDate().toString(QStringLiteral("yyyyMMdd")) + '-'));
    QFile dump(dumps[0]);
    QVERIFY(dump.open(QIODevice::ReadOnly));
    QVERIFY(dump.readAll().contains("page marker 17"));
  }

  void reloadPublishesMyObjectAgain() {
    ScratchDirectory dir(kPage);
    MainWindow window({QStringLiteral("pageshell"), QStringLiteral("-debug")});
    QWebPage* page = window.webView()->page();
    QVERIFY(qtest::waitForLoad(page));
    evaluate(page, QStringLiteral("window.beforeReload = 1"));
    window.findChild<QAction*>(QStringLiteral("actionRELOAD"))->trigger();
    QVERIFY(qtest::waitForLoad(page));
    QCOMPARE(evaluate(page, QStringLiteral("typeof window.beforeReload")).toString(),
             QStringLiteral("undefined"));
    QVERIFY(evaluate(page, QLatin1String(kVersionCall)).toString().startsWith("[ \"OK\""));
  }

  void printPreviewOpensAModalPreview() {
    ScratchDirectory dir(kPage);
    MainWindow window({QStringLiteral("pageshell"), QStringLiteral("-debug")});
    QVERIFY(qtest::waitForLoad(window.webView()->page()));
    // Polled, so that a slow machine neither misses the dialog nor hangs on it.
    bool sawPreview = false;
    QTimer poll;
    poll.setInterval(20);
    connect(&poll, &QTimer::timeout, [&] {
      QWidget* modal = QApplication::activeModalWidget();
      if (modal == nullptr) return;
      sawPreview = qobject_cast<QPrintPreviewDialog*>(modal) != nullptr;
      modal->close();
    });
    poll.start();
    window.findChild<QAction*>(QStringLiteral("actionPrint_Preview"))->trigger();
    QVERIFY(sawPreview);
  }

  void closeWithoutListenerCloses() {
    ScratchDirectory dir(kPage);
    MainWindow window({QStringLiteral("pageshell")});
    window.show();
    QVERIFY(window.close());
    QVERIFY(!window.isVisible());
  }

  void closeWithListenerTellsThePageEveryTime() {
    ScratchDirectory dir(kPage);
    MainWindow window({QStringLiteral("pageshell")});
    QWebPage* page = window.webView()->page();
    QVERIFY(qtest::waitForLoad(page));
    window.show();
    window.setExitListener(page, "bye-1");
    QVERIFY(!window.close());
    QVERIFY(!window.close());
    QVERIFY(window.isVisible());
    QVERIFY(qtest::waitForScript(page, QStringLiteral("records.length == 2")));
    QCOMPARE(evaluate(page, QStringLiteral("records[1]")).toString(),
             QStringLiteral("[\"bye-1\",\"pass\",\"run\"]"));

    window.setExitListener(page, "");
    QVERIFY(window.close());
    QVERIFY(!window.isVisible());
  }

  void onlyLocalDocumentsGetMyObject() {
    ScratchDirectory dir(kPage);
    MainWindow window({QStringLiteral("pageshell")});
    QWebPage* page = window.webView()->page();
    QVERIFY(qtest::waitForLoad(page));
    QCOMPARE(evaluate(page, QStringLiteral("typeof myObject")).toString(), QStringLiteral("object"));

    for (const char* remote : {"http://127.0.0.1:9/page.html", "data:text/html,<p>remote</p>"}) {
      window.webView()->load(QUrl(QLatin1String(remote)));
      QVERIFY(qtest::waitForLoad(page));
      QCOMPARE(evaluate(page, QStringLiteral("typeof myObject")).toString(),
               QStringLiteral("undefined"));
    }
    const QStringList refused = dir.logMessages().filter(QStringLiteral("myObject not published"));
    QCOMPARE(refused.size(), 2);
    QVERIFY(refused[0].contains(QStringLiteral("http://127.0.0.1:9/page.html")));

    window.findChild<QAction*>(QStringLiteral("actionRELOAD"))->trigger();
    QVERIFY(qtest::waitForLoad(page));
    QVERIFY(evaluate(page, QLatin1String(kVersionCall)).toString().startsWith("[ \"OK\""));
  }
};

int main(int argc, char** argv) {
  qtest::prepareEnvironment();
  QApplication application(argc, argv);
  MainWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "main_window_test.moc"
