// The window's own behaviour, which pages cannot reach: the debug menu, its
// actions, the close event with and without an exit listener, and which
// documents get `myObject`.
#include <QAction>
#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPrintPreviewDialog>
#include <QTimer>

#include <QTest>

#include <gtest/gtest.h>

#include "app/main_window.h"
#include "tests/support/qt_page.h"
#include "tests/support/scratch.h"

using app::MainWindow;
using support::evaluate;

namespace {

std::string page() {
  return support::recordingPage(QStringLiteral("<p id='marker'>page marker 17</p>"));
}

bool answersVersion(app::WebView& page) {
  return evaluate(page, QStringLiteral("call('version')")).toString().startsWith("[ \"OK\"");
}

TEST(MainWindow, FormHasItsNamedWidgets) {
  support::PageFolder folder(page());
  MainWindow window({QStringLiteral("pageshell")});
  for (const char* name : {"centralWidget", "verticalLayout", "webView", "graphicsView", "menuBar",
                           "menuDEBUG", "actionDUMP", "actionRELOAD", "actionPrint_Preview"}) {
    EXPECT_NE(window.findChild<QObject*>(QLatin1String(name)), nullptr) << name;
  }
  auto* menu = window.findChild<QMenu*>(QStringLiteral("menuDEBUG"));
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->title(), QStringLiteral("DEBUG"));
  QStringList texts;
  for (QAction* action : menu->actions()) texts << action->text();
  EXPECT_EQ(texts, (QStringList{"DUMP", "RELOAD", "Print Preview"}));
  EXPECT_EQ(window.webView().widget()->contextMenuPolicy(), Qt::PreventContextMenu);
  EXPECT_FALSE(window.webView().widget()->acceptDrops());
}

TEST(MainWindow, DebugMenuOnlyWithTheExactSwitch) {
  support::PageFolder folder(page());
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
    EXPECT_EQ(bar->isVisible(), c.second) << c.first.join(' ').toStdString();
  }
}

TEST(MainWindow, DumpWritesTheCurrentHtml) {
  support::PageFolder folder(page());
  MainWindow window({QStringLiteral("pageshell"), QStringLiteral("-debug")});
  ASSERT_TRUE(support::waitForLoad(window.webView()));
  window.findChild<QAction*>(QStringLiteral("actionDUMP"))->trigger();
  const QDir here(QString::fromStdString(folder.path()));
  // The engine may hand over the HTML later.
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return !here.entryList({QStringLiteral("debug-*.html")}).isEmpty(); }, 20000));
  const QStringList dumps = here.entryList({QStringLiteral("debug-*.html")});
  ASSERT_EQ(dumps.size(), 1);
  EXPECT_TRUE(dumps[0].startsWith(QStringLiteral("debug-") +
                                  QDate::currentDate().toString(QStringLiteral("yyyyMMdd")) + '-'));
  QFile dump(dumps[0]);
  ASSERT_TRUE(dump.open(QIODevice::ReadOnly));
  EXPECT_TRUE(dump.readAll().contains("page marker 17"));
}

TEST(MainWindow, ReloadPublishesMyObjectAgain) {
  support::PageFolder folder(page());
  MainWindow window({QStringLiteral("pageshell"), QStringLiteral("-debug")});
  app::WebView& page = window.webView();
  ASSERT_TRUE(support::waitForLoad(page));
  evaluate(page, QStringLiteral("window.beforeReload = 1"));
  window.findChild<QAction*>(QStringLiteral("actionRELOAD"))->trigger();
  ASSERT_TRUE(support::waitForLoad(page));
  EXPECT_EQ(evaluate(page, QStringLiteral("typeof window.beforeReload")).toString(),
            QStringLiteral("undefined"));
  EXPECT_TRUE(answersVersion(page));
}

TEST(MainWindow, PrintPreviewOpensAModalPreview) {
  support::PageFolder folder(page());
  MainWindow window({QStringLiteral("pageshell"), QStringLiteral("-debug")});
  ASSERT_TRUE(support::waitForLoad(window.webView()));
  // Polled, so that a slow machine neither misses the dialog nor hangs on it.
  bool sawPreview = false;
  QTimer poll;
  poll.setInterval(20);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) return;
    sawPreview = qobject_cast<QPrintPreviewDialog*>(modal) != nullptr;
    modal->close();
  });
  poll.start();
  window.findChild<QAction*>(QStringLiteral("actionPrint_Preview"))->trigger();
  EXPECT_TRUE(sawPreview);
}

TEST(MainWindow, CloseWithoutListenerCloses) {
  support::PageFolder folder(page());
  MainWindow window({QStringLiteral("pageshell")});
  window.show();
  EXPECT_TRUE(window.close());
  EXPECT_FALSE(window.isVisible());
}

TEST(MainWindow, CloseWithListenerTellsThePageEveryTime) {
  support::PageFolder folder(page());
  MainWindow window({QStringLiteral("pageshell")});
  app::WebView& page = window.webView();
  ASSERT_TRUE(support::waitForLoad(page));
  window.show();
  window.setExitListener(&page, "bye-1");
  EXPECT_FALSE(window.close());
  EXPECT_FALSE(window.close());
  EXPECT_TRUE(window.isVisible());
  ASSERT_TRUE(support::waitForScript(page, QStringLiteral("records.length == 2")));
  EXPECT_EQ(evaluate(page, QStringLiteral("records[1]")).toString(),
            QStringLiteral("[\"bye-1\",\"pass\",\"run\"]"));

  window.setExitListener(&page, "");
  EXPECT_TRUE(window.close());
  EXPECT_FALSE(window.isVisible());
}

// The loading title is there before the page can run a script, and a title
// the page sets while it loads, or at its load event, stays.
TEST(MainWindow, TheLoadingTitleNeverCoversThePagesOwn) {
  support::PageFolder folder(support::recordingPage(
      QStringLiteral("<script>call('setTitle', 'while loading');"
                     "window.onload = function () { call('setTitle', 'Stock take'); };</script>")));
  MainWindow window({QStringLiteral("pageshell")});
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Trwa ladowanie aplikacji...."));
  window.show();
  ASSERT_TRUE(support::waitForLoad(window.webView()));
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return window.windowTitle() == QStringLiteral("Stock take"); }, 20000));
}

TEST(MainWindow, PagesReachOnlyTheProtocolNotTheWindow) {
  support::PageFolder folder(page());
  MainWindow window({QStringLiteral("pageshell")});
  app::WebView& page = window.webView();
  ASSERT_TRUE(support::waitForLoad(page));
  for (const char* name :
       {"handle_dump_data", "handle_reload", "handle_print_preview", "add_objects_to_javascript",
        "printPreview", "generatePdfPreview", "setCommand", "close", "show"}) {
    EXPECT_EQ(
        evaluate(page, QStringLiteral("typeof myObject.%1").arg(QLatin1String(name))).toString(),
        QStringLiteral("undefined"))
        << name;
  }
  EXPECT_EQ(evaluate(page, QStringLiteral("typeof myObject.deleteLater")).toString(),
            QStringLiteral("function"));
  EXPECT_TRUE(answersVersion(page));
}

TEST(MainWindow, OnlyLocalDocumentsGetMyObject) {
  support::PageFolder folder(page());
  MainWindow window({QStringLiteral("pageshell")});
  app::WebView& page = window.webView();
  ASSERT_TRUE(support::waitForLoad(page));
  EXPECT_EQ(evaluate(page, QStringLiteral("typeof myObject")).toString(), QStringLiteral("object"));

  for (const char* remote : {"http://127.0.0.1:9/page.html", "data:text/html,<p>remote</p>"}) {
    window.webView().load(QUrl(QLatin1String(remote)));
    ASSERT_TRUE(support::waitForLoad(page));
    EXPECT_EQ(evaluate(page, QStringLiteral("typeof myObject")).toString(),
              QStringLiteral("undefined"));
  }
  std::vector<std::string> refused;
  for (const std::string& message : support::logMessages(folder.path())) {
    if (message.find("myObject not published") != std::string::npos) refused.push_back(message);
  }
  ASSERT_EQ(refused.size(), 2u);
  EXPECT_NE(refused[0].find("http://127.0.0.1:9/page.html"), std::string::npos);

  window.findChild<QAction*>(QStringLiteral("actionRELOAD"))->trigger();
  ASSERT_TRUE(support::waitForLoad(page));
  EXPECT_TRUE(answersVersion(page));
}

}  // namespace
