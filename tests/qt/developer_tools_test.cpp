// What -debug gives a page's developer: the Web Inspector through DEBUG >
// INSPECT and through F12, the page's context menu, and none of it without
// the switch.
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

#include "app/main_window.h"
#include "app/web_view.h"
#include "tests/support/qt_page.h"
#include "tests/support/scratch.h"

using app::MainWindow;

namespace {

const char kPage[] = "<html><body><p id='marker'>inspect me</p></body></html>";

QWidget* inspectorOf(MainWindow& window) {
  return window.findChild<QWidget*>(QStringLiteral("webInspector"));
}

QWidget* pageWidget(MainWindow& window) { return window.webView().widget(); }

// The inspector is up, in a window of its own.
void expectShowsThePage(MainWindow& window) {
  QWidget* inspector = inspectorOf(window);
  ASSERT_NE(inspector, nullptr);
  EXPECT_TRUE(QTest::qWaitFor([inspector] { return inspector->isVisible(); }, 20000));
  EXPECT_TRUE(inspector->isWindow());
}

TEST(DeveloperTools, InspectIsTheFourthDebugAction) {
  support::PageFolder folder(kPage);
  MainWindow window({QStringLiteral("pageshell"), QStringLiteral("-debug")});
  QStringList texts;
  for (QAction* action : window.findChild<QMenu*>(QStringLiteral("menuDEBUG"))->actions()) {
    texts << action->text();
  }
  EXPECT_EQ(texts, (QStringList{"DUMP", "RELOAD", "Print Preview", "INSPECT"}));
  EXPECT_EQ(pageWidget(window)->contextMenuPolicy(), Qt::DefaultContextMenu);
}

TEST(DeveloperTools, InspectActionOpensTheInspectorOnThePage) {
  support::PageFolder folder(kPage);
  MainWindow window({QStringLiteral("pageshell"), QStringLiteral("-debug")});
  window.show();
  ASSERT_TRUE(support::waitForLoad(window.webView()));
  ASSERT_NE(inspectorOf(window), nullptr);
  EXPECT_FALSE(inspectorOf(window)->isVisible());
  window.findChild<QAction*>(QStringLiteral("actionINSPECT"))->trigger();
  expectShowsThePage(window);

  // A reload keeps the same inspector on the new document.
  window.handle_reload();
  ASSERT_TRUE(support::waitForLoad(window.webView()));
  expectShowsThePage(window);
  EXPECT_EQ(window.findChildren<QWidget*>(QStringLiteral("webInspector")).size(), 1);
}

TEST(DeveloperTools, F12OpensTheSameInspector) {
  support::PageFolder folder(kPage);
  MainWindow window({QStringLiteral("pageshell"), QStringLiteral("-debug")});
  window.show();
  ASSERT_TRUE(support::waitForLoad(window.webView()));
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  pageWidget(window)->setFocus();
  QTest::keyClick(pageWidget(window), Qt::Key_F12);
  expectShowsThePage(window);
  EXPECT_EQ(window.findChildren<QWidget*>(QStringLiteral("webInspector")).size(), 1);
}

TEST(DeveloperTools, WithoutTheSwitchThereIsNoInspector) {
  support::PageFolder folder(kPage);
  MainWindow window({QStringLiteral("pageshell")});
  window.show();
  ASSERT_TRUE(support::waitForLoad(window.webView()));
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  QTest::keyClick(pageWidget(window), Qt::Key_F12);
  EXPECT_EQ(window.findChild<QAction*>(QStringLiteral("actionINSPECT")), nullptr);
  EXPECT_EQ(inspectorOf(window), nullptr);
  for (QWidget* top : QApplication::topLevelWidgets()) {
    EXPECT_TRUE(top == &window || !top->isVisible()) << top->metaObject()->className();
  }
  EXPECT_EQ(pageWidget(window)->contextMenuPolicy(), Qt::PreventContextMenu);
}

}  // namespace
