// What the window commands do to the real window, and the exit listener
// through real close events, with pages driving the commands.

#include <gtest/gtest.h>

#include <memory>

#include "app/main_window.h"
#include "tests/support/page_runner.h"
#include "tests/support/qt_page.h"
#include "tests/support/scratch.h"

using app::MainWindow;

namespace {

class DesktopWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    const QString page =
        QStringLiteral("<html><head><meta charset='utf-8'><script src='pageshell.js'></script>") +
        support::callScriptElement() +
        QStringLiteral(
            "</head><body><script>"
            "var exits = 0;"
            "var raw = [];"
            "pageshell.onUnrouted = function (record) { raw.push(JSON.stringify(record)); };"
            "</script></body></html>");
    folder_ = std::make_unique<support::PageFolder>(page.toStdString());
    support::writeFile(*folder_ / "pageshell.js", support::readFile(e2e::clientLibrary()));
    window_ = std::make_unique<MainWindow>(QStringList{QStringLiteral("pageshell")});
    page_ = &window_->webView();
    ASSERT_TRUE(support::waitForLoad(*page_));
    ASSERT_EQ(run(QStringLiteral("typeof pageshell")), QStringLiteral("object"));
    window_->show();
  }

  void TearDown() override {
    window_.reset();
    folder_.reset();
  }

  QString run(const QString& script) { return support::evaluate(*page_, script).toString(); }

  std::unique_ptr<support::PageFolder> folder_;
  std::unique_ptr<MainWindow> window_;
  app::WebView* page_ = nullptr;
};

TEST_F(DesktopWindow, SetTitleSetsTheWindowTitle) {
  run(QStringLiteral("call('setTitle', 'Zażółć — notatki 𝄞')"));
  EXPECT_EQ(window_->windowTitle(), QStringLiteral("Zażółć — notatki 𝄞"));
}

TEST_F(DesktopWindow, WindowStateFollowsThePageAndIsReadBack) {
  EXPECT_EQ(run(QStringLiteral("call('setWindowState', 2)")),
            QStringLiteral("[ \"OK\", \"2\" ]\n"));
  EXPECT_TRUE(window_->windowState().testFlag(Qt::WindowMaximized));

  run(QStringLiteral("call('setWindowState', 4)"));
  EXPECT_EQ(window_->windowState() & ~Qt::WindowActive, Qt::WindowStates(Qt::WindowFullScreen));

  // A change made outside the page shows in the next answer.
  window_->setWindowState(Qt::WindowMinimized);
  const QString answer = run(QStringLiteral("JSON.parse(call('getWindowState'))[1]"));
  EXPECT_TRUE(answer.toInt() & 1) << answer.toStdString();

  run(QStringLiteral("call('setWindowState', 'not a number')"));
  EXPECT_TRUE(window_->windowState().testFlag(Qt::WindowMinimized));
  EXPECT_TRUE(window_->windowState().testFlag(Qt::WindowMaximized));
  EXPECT_TRUE(window_->windowState().testFlag(Qt::WindowFullScreen));
}

TEST_F(DesktopWindow, CloseWithAListenerTellsThePageAndStaysOpen) {
  EXPECT_EQ(run(QStringLiteral("call('addExitListener', 'first')")),
            QStringLiteral("[ \"OK\" ]\n"));
  run(QStringLiteral("call('addExitListener', 'second')"));
  EXPECT_FALSE(window_->close());
  EXPECT_FALSE(window_->close());
  EXPECT_TRUE(window_->isVisible());
  ASSERT_TRUE(support::waitForScript(*page_, QStringLiteral("raw.length == 2")));
  EXPECT_EQ(run(QStringLiteral("raw.join()")),
            QStringLiteral("[\"second\",\"pass\",\"run\"],[\"second\",\"pass\",\"run\"]"));

  run(QStringLiteral("call('removeExitListener')"));
  EXPECT_TRUE(window_->close());
  EXPECT_FALSE(window_->isVisible());
}

TEST_F(DesktopWindow, ClientLibraryExitHandlersRunOnClose) {
  run(
      QStringLiteral("pageshell.onExit(function () { exits += 1; });"
                     "pageshell.onExit(function () { exits += 10; });"));
  EXPECT_FALSE(window_->close());
  ASSERT_TRUE(support::waitForScript(*page_, QStringLiteral("exits == 11")));
  EXPECT_FALSE(window_->close());
  ASSERT_TRUE(support::waitForScript(*page_, QStringLiteral("exits == 22")));
  EXPECT_EQ(run(QStringLiteral("raw.length")).toInt(), 0);

  run(QStringLiteral("pageshell.clearExitHandlers()"));
  EXPECT_TRUE(window_->close());
  support::processEventsFor(std::chrono::milliseconds(50));
  EXPECT_EQ(run(QStringLiteral("exits")).toInt(), 22);
}

}  // namespace
