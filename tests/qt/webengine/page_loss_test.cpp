// A page whose renderer process ends (killed here, as a crash or the system
// would) leaves a window that says why in the log, shows its page again
// without the lost document's exit listener, and closes when asked.
#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <string>

#include "app/main_window.h"
#include "tests/support/qt_page.h"
#include "tests/support/scratch.h"

using app::MainWindow;
using support::evaluate;

namespace {

QWebEnginePage& enginePage(MainWindow& window) {
  return *qobject_cast<QWebEngineView*>(window.webView().widget())->page();
}

// Kills the renderer this test's window started, by its own pid only.
void killRenderer(MainWindow& window) {
  const qint64 pid = enginePage(window).renderProcessPid();
  ASSERT_GT(pid, 0);
  ASSERT_EQ(::kill(static_cast<pid_t>(pid), SIGKILL), 0);
}

bool loggedLoss(const support::PageFolder& folder) {
  const std::vector<std::string> lines = support::logMessages(folder.path());
  const std::string prefix = "Page lost: renderer process was killed [exit code ";
  const std::string suffix = "]; index.html loaded again";
  return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
    return line.rfind(prefix, 0) == 0 && line.size() > suffix.size() &&
           line.compare(line.size() - suffix.size(), suffix.size(), suffix) == 0;
  });
}

// Shows the window on a page that has registered an exit listener.
void showHeldWindow(MainWindow& window) {
  window.show();
  ASSERT_TRUE(support::waitForLoad(window.webView()));
  evaluate(window.webView(), QStringLiteral("call('addExitListener', 'bye')"));
}

// The page comes back: a new renderer runs a new document of index.html.
void expectPageBack(MainWindow& window, qint64 lostPid) {
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        const qint64 pid = enginePage(window).renderProcessPid();
        return pid > 0 && pid != lostPid && window.webView().loadFinished();
      },
      20000));
  EXPECT_TRUE(support::waitForScript(window.webView(), QStringLiteral("typeof call == 'function'")));
}

TEST(PageLoss, AKilledRendererIsLoggedAndTheWindowCloses) {
  support::PageFolder folder(support::recordingPage());
  MainWindow window({QStringLiteral("pageshell")});
  showHeldWindow(window);
  const qint64 lostPid = enginePage(window).renderProcessPid();
  killRenderer(window);
  ASSERT_TRUE(QTest::qWaitFor([&] { return loggedLoss(folder); }, 20000));
  expectPageBack(window, lostPid);
  EXPECT_TRUE(window.close());
}

// The command's dialog is still open when the renderer goes (the engine may
// tell of it only once the command has returned); the page comes back after
// the command.
TEST(PageLoss, ARendererKilledDuringACommandLeavesAWindowThatCloses) {
  support::PageFolder folder(support::recordingPage());
  MainWindow window({QStringLiteral("pageshell")});
  showHeldWindow(window);
  const qint64 lostPid = enginePage(window).renderProcessPid();
  int ticks = 0;
  QTimer poll;
  poll.setInterval(20);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    if (++ticks == 1) killRenderer(window);
    if (ticks == 5) dialog->reject();
  });
  poll.start();
  evaluate(window.webView(),
           QStringLiteral("setTimeout(function () { call('showFileDialog', 'Pick', ''); }, 0)"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return loggedLoss(folder); }, 20000));
  expectPageBack(window, lostPid);
  EXPECT_GE(ticks, 5);
  EXPECT_TRUE(window.close());
}

}  // namespace
