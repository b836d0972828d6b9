// What -debug gives a page's developer: the Web Inspector through DEBUG >
// INSPECT and through F12, the page's context menu, and none of it without
// the switch.
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QWebInspector>
#include <QWebSettings>
#include <QWebView>

#include "app/main_window.h"
#include "tests/qt/shell_fixture.h"

using app::MainWindow;
using qtest::evaluate;
using qtest::ScratchDirectory;

namespace {

const char kPage[] = "<html><body><p id='marker'>inspect me</p></body></html>";

QWebInspector* inspectorOf(MainWindow& window) { return window.findChild<QWebInspector*>(); }

// The inspector is up, in its own window, attached to the window's page, and
// its front end (a web view of its own) has loaded.
void verifyShowsThePage(MainWindow& window) {
  QWebInspector* inspector = inspectorOf(window);
  QVERIFY(inspector != nullptr);
  QTRY_VERIFY(inspector->isVisible());
  QVERIFY(inspector->isWindow());
  QCOMPARE(inspector->page(), window.webView()->page());
  auto* frontEnd = inspector->findChild<QWebView*>();
  QVERIFY(frontEnd != nullptr);
  QTRY_VERIFY(!frontEnd->url().isEmpty());
  QVERIFY(frontEnd->page() != window.webView()->page());
}

}  // namespace

class DeveloperToolsTest : public QObject {
  Q_OBJECT

 private slots:
  void inspectIsTheFourthDebugAction() {
    ScratchDirectory dir(kPage);
    MainWindow window({QStringLiteral("pageshell"), QStringLiteral("-debug")});
    QStringList texts;
    for (QAction* action : window.findChild<QMenu*>(QStringLiteral("menuDEBUG"))->actions()) {
      texts << action->text();
    }
    QCOMPARE(texts, (QStringList{"DUMP", "RELOAD", "Print Preview", "INSPECT"}));
    QVERIFY(window.webView()->settings()->testAttribute(QWebSettings::DeveloperExtrasEnabled));
    QCOMPARE(window.webView()->contextMenuPolicy(), Qt::DefaultContextMenu);
  }

  void inspectActionOpensTheInspectorOnThePage() {
    ScratchDirectory dir(kPage);
    MainWindow window({QStringLiteral("pageshell"), QStringLiteral("-debug")});
    window.show();
    QVERIFY(qtest::waitForLoad(window.webView()->page()));
    QVERIFY(inspectorOf(window) != nullptr);
    QVERIFY(!inspectorOf(window)->isVisible());
    window.findChild<QAction*>(QStringLiteral("actionINSPECT"))->trigger();
    verifyShowsThePage(window);

    // A reload keeps the same inspector on the new document.
    window.handle_reload();
    QVERIFY(qtest::waitForLoad(window.webView()->page()));
    verifyShowsThePage(window);
    QCOMPARE(window.findChildren<QWebInspector*>().size(), 1);
  }

  void f12OpensTheSameInspector() {
    ScratchDirectory dir(kPage);
    MainWindow window({QStringLiteral("pageshell"), QStringLiteral("-debug")});
    window.show();
    QVERIFY(qtest::waitForLoad(window.webView()->page()));
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.webView()->setFocus();
    QTest::keyClick(window.webView(), Qt::Key_F12);
    verifyShowsThePage(window);
    QCOMPARE(window.findChildren<QWebInspector*>().size(), 1);
  }

  void withoutTheSwitchThereIsNoInspector() {
    ScratchDirectory dir(kPage);
    MainWindow window({QStringLiteral("pageshell")});
    window.show();
    QVERIFY(qtest::waitForLoad(window.webView()->page()));
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(window.webView(), Qt::Key_F12);
    QVERIFY(window.findChild<QAction*>(QStringLiteral("actionINSPECT")) == nullptr);
    QVERIFY(inspectorOf(window) == nullptr);
    for (QWidget* top : QApplication::topLevelWidgets()) {
      QVERIFY(qobject_cast<QWebInspector*>(top) == nullptr || !top->isVisible());
    }
    QCOMPARE(window.webView()->contextMenuPolicy(), Qt::PreventContextMenu);
    QVERIFY(!window.webView()->settings()->testAttribute(QWebSettings::DeveloperExtrasEnabled));
  }
};

int main(int argc, char** argv) {
  qtest::prepareEnvironment();
  QApplication application(argc, argv);
  DeveloperToolsTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "developer_tools_test.moc"
