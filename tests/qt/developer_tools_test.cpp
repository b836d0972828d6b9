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

#include <gtest/gtest.h>

#include "app/main_window.h"
#include "tests/support/qt_page.h"
#include "tests/support/scratch.h"

using app::MainWindow;

namespace {

const char kPage[] = "<html><body><p id='marker'>inspect me</p></body></html>";

QWebInspector* inspectorOf(MainWindow& window) { return window.findChild<QWebInspector*>(); }

// The inspector is up, in its own window, attached to the window's page, and
// its front end (a web view of its own) has loaded.
void expectShowsThePage(MainWindow& window) {
  QWebInspector* inspector = inspectorOf(window);
  ASSERT_NE(inspector, nullptr);
  EXPECT_TRUE(QTest::qWaitFor([inspector] { return inspector->isVisible(); }, 20000));
  EXPECT_TRUE(inspector->isWindow());
  EXPECT_EQ(inspector->page(), window.webView()->page());
  auto* frontEnd = inspector->findChild<QWebView*>();
  ASSERT_NE(frontEnd, nullptr);
  EXPECT_TRUE(QTest::qWaitFor([frontEnd] { return !frontEnd->url().isEmpty(); }, 20000));
  EXPECT_NE(frontEnd->page(), window.webView()->page());
}

TEST(DeveloperTools, InspectIsTheFourthDebugAction) {
  support::PageFolder folder(kPage);
  MainWindow window({QStringLiteral("pageshell"), QStringLiteral("-debug")});
  QStringList texts;
  for (QAction* action : window.findChild<QMenu*>(QStringLiteral("menuDEBUG"))->actions()) {
    texts << action->text();
  }
  EXPECT_EQ(texts, (QStringList{"DUMP", "RELOAD", "Print Preview", "INSPECT"}));
  EXPECT_TRUE(window.webView()->settings()->testAttribute(QWebSettings::DeveloperExtrasEnabled));
  EXPECT_EQ(window.webView()->contextMenuPolicy(), Qt::DefaultContextMenu);
}

TEST(DeveloperTools, InspectActionOpensTheInspectorOnThePage) {
  support::PageFolder folder(kPage);
  MainWindow window({QStringLiteral("pageshell"), QStringLiteral("-debug")});
  window.show();
  ASSERT_TRUE(support::waitForLoad(window.webView()->page()));
  ASSERT_NE(inspectorOf(window), nullptr);
  EXPECT_FALSE(inspectorOf(window)->isVisible());
  window.findChild<QAction*>(QStringLiteral("actionINSPECT"))->trigger();
  expectShowsThePage(window);

  // A reload keeps the same inspector on the new document.
  window.handle_reload();
  ASSERT_TRUE(support::waitForLoad(window.webView()->page()));
  expectShowsThePage(window);
  EXPECT_EQ(window.findChildren<QWebInspector*>().size(), 1);
}

TEST(DeveloperTools, F12OpensTheSameInspector) {
  support::PageFolder folder(kPage);
  MainWindow window({QStringLiteral("pageshell"), QStringLiteral("-debug")});
  window.show();
  ASSERT_TRUE(support::waitForLoad(window.webView()->page()));
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  window.webView()->setFocus();
  QTest::keyClick(window.webView(), Qt::Key_F12);
  expectShowsThePage(window);
  EXPECT_EQ(window.findChildren<QWebInspector*>().size(), 1);
}

TEST(DeveloperTools, WithoutTheSwitchThereIsNoInspector) {
  support::PageFolder folder(kPage);
  MainWindow window({QStringLiteral("pageshell")});
  window.show();
  ASSERT_TRUE(support::waitForLoad(window.webView()->page()));
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  QTest::keyClick(window.webView(), Qt::Key_F12);
  EXPECT_EQ(window.findChild<QAction*>(QStringLiteral("actionINSPECT")), nullptr);
  EXPECT_EQ(inspectorOf(window), nullptr);
  for (QWidget* top : QApplication::topLevelWidgets()) {
    EXPECT_TRUE(qobject_cast<QWebInspector*>(top) == nullptr || !top->isVisible());
  }
  EXPECT_EQ(window.webView()->contextMenuPolicy(), Qt::PreventContextMenu);
  EXPECT_FALSE(window.webView()->settings()->testAttribute(QWebSettings::DeveloperExtrasEnabled));
}

}  // namespace
