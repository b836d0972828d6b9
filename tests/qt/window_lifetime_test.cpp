// How long what a page sets up on the window lasts: an exit listener lives as
// long as the document that registered it, and a deletion the page asks for
// while a command waits in a dialog waits for the command.
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWebView>

#include "app/main_window.h"
#include "tests/qt/shell_fixture.h"

using app::MainWindow;
using qtest::evaluate;
using qtest::ScratchDirectory;

namespace {

const char kPage[] =
    "<html><body><script>"
    "var records = [];"
    "function WebBrowserUtil_callback(r) { records.push(JSON.stringify(r)); }"
    "function call() {"
    "  var request = ['1.0.3.20150320', 'qt'].concat([].slice.call(arguments));"
    "  myObject.command = JSON.stringify(request);"
    "  return JSON.parse(myObject.result);"
    "}"
    "</script></body></html>";

// A second local document with no script of its own.
void writeOtherPage() {
  QFile other(QStringLiteral("other.html"));
  other.open(QIODevice::WriteOnly);
  other.write("<html><body><p>another page</p></body></html>");
}

}  // namespace

class WindowLifetimeTest : public QObject {
  Q_OBJECT

 private:
  // A shown window on kPage whose document has registered "bye" and so
  // cannot be closed.
  void openHeldWindow(MainWindow& window) {
    window.show();
    QVERIFY(qtest::waitForLoad(window.webView()->page()));
    evaluate(window.webView()->page(), QStringLiteral("call('addExitListener', 'bye')"));
    QVERIFY(!window.close());
    QVERIFY(qtest::waitForScript(window.webView()->page(), QStringLiteral("records.length == 1")));
  }

 private slots:
  void listenerGoesWithTheDocumentThatRegisteredIt() {
    const QList<QPair<const char*, QString>> replacements = {
        {"navigation to another local page", QStringLiteral("location.href = 'other.html'")},
        {"link to a remote page", QStringLiteral("location.href = 'http://127.0.0.1:9/'")},
        {"a document written over the page", QStringLiteral("location.href = 'data:text/html,x'")},
    };
    for (const auto& replacement : replacements) {
      ScratchDirectory dir(kPage);
      writeOtherPage();
      MainWindow window({QStringLiteral("pageshell")});
      openHeldWindow(window);
      QWebPage* page = window.webView()->page();
      evaluate(page, replacement.second);
      QVERIFY2(qtest::waitForLoad(page), replacement.first);
      QVERIFY2(window.close(), replacement.first);
      QVERIFY(!window.isVisible());
    }
  }

  void afterReloadOnlyTheNewDocumentsListenerHolds() {
    ScratchDirectory dir(kPage);
    MainWindow window({QStringLiteral("pageshell")});
    openHeldWindow(window);
    QWebPage* page = window.webView()->page();
    window.handle_reload();
    QVERIFY(qtest::waitForLoad(page));
    QVERIFY(window.close());

    window.show();
    evaluate(page, QStringLiteral("call('addExitListener', 'again')"));
    QVERIFY(!window.close());
    QVERIFY(qtest::waitForScript(page, QStringLiteral("records.length == 1")));
    QCOMPARE(evaluate(page, QStringLiteral("records[0]")).toString(),
             QStringLiteral("[\"again\",\"pass\",\"run\"]"));
  }

  // The page deletes the window from inside each command that waits in a
  // modal dialog; the command still ends with its answer, then the window goes.
  void deletionWaitsForTheCommandInItsDialog() {
    const QStringList commands = {
        QStringLiteral("call('showFileDialog', 'Pick', '')"),
        QStringLiteral("call('showDirectoryDialog', 'Pick')"),
        QStringLiteral("call('printPreview')"),
        QStringLiteral(
            "call('generatePdfPreview', "
            "'{\"size\":{\"width\":\"100\",\"height\":\"150\"},\"pages\":[{\"elems\":[]}]}')"),
    };
    for (const QString& command : commands) {
      ScratchDirectory dir(kPage);
      QPointer<MainWindow> window = new MainWindow({QStringLiteral("pageshell")});
      window->show();
      QWebPage* page = window->webView()->page();
      QVERIFY(qtest::waitForLoad(page));

      // One tick asks for the deletion, a later one cancels the dialog, so
      // that the dialog's own loop has run in between.
      int ticksWithDialog = 0;
      QTimer poll;
      poll.setInterval(20);
      connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return;
        if (++ticksWithDialog == 1) {
          evaluate(page, QStringLiteral("myObject.deleteLater()"));
        } else if (ticksWithDialog == 4) {
          dialog->reject();
        }
      });
      poll.start();
      const QVariant answer = evaluate(page, command);
      poll.stop();
      QVERIFY2(ticksWithDialog >= 4, qPrintable(command));
      QVERIFY2(!window.isNull(), qPrintable(command));
      QVERIFY2(answer.toStringList().value(0) == QStringLiteral("OK") ||
                   answer.toStringList().value(0) == QStringLiteral("ERROR"),
               qPrintable(command));
      QTRY_VERIFY2(window.isNull(), qPrintable(command));
    }
  }
};

int main(int argc, char** argv) {
  qtest::prepareEnvironment();
  QApplication application(argc, argv);
  WindowLifetimeTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "window_lifetime_test.moc"
