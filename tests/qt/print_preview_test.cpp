// The print previews, which only a person closes: each command opens its
// dialog (closed here from a timer), paints through the window's slot and
// answers ["OK"]; a page reload replaces the loaded document.
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTest>
#include <QTimer>
#include <QWebView>

#include <functional>

#include "app/main_window.h"
#include "print/render/qt_pdf_obj.h"
#include "tests/qt/shell_fixture.h"

using qtest::ScratchDirectory;

namespace {

const char kPage[] = "<html><body><p>page to preview</p></body></html>";

const char kDocument[] =
    R"({"size":{"width":"100","height":"150"},"pages":[{"elems":[]},{"elems":[{"type":3,"value":{"pos":{"x":"1","y":"2"},"size":{"width":"3","height":"4"},"color":"red"}}]}]})";

// Counts what the dialogs ask the window to paint, and on which printer.
class PaintCountingWindow : public app::MainWindow {
 public:
  using MainWindow::MainWindow;
  void printPreview(QPrinter* printer) override {
    ++pagePaints;
    MainWindow::printPreview(printer);
  }
  void generatePdfPreview(QPrinter* printer) override {
    ++documentPaints;
    paperMm = printer->pageLayout().fullRect(QPageLayout::Millimeter).size();
    resolution = printer->resolution();
    fullPage = printer->fullPage();
    loadedPages = pdfRenderer().pages().size();
    MainWindow::generatePdfPreview(printer);
  }
  int pagePaints = 0;
  int documentPaints = 0;
  QSizeF paperMm;
  int resolution = 0;
  bool fullPage = false;
  int loadedPages = 0;
};

// What the modal preview looked like when it was closed.
struct SeenDialog {
  bool seen = false;
  QString title;
  QWidget* parent = nullptr;
  bool isWindow = false;
};

// Runs `action` while a timer watches for a modal preview and closes it once
// `painted` holds (or after a while, so a broken preview cannot hang the test).
SeenDialog whileClosingPreview(const std::function<void()>& action, const std::function<bool()>& painted) {
  SeenDialog dialog;
  QElapsedTimer shown;
  QTimer poll;
  poll.setInterval(20);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* preview = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
    if (preview == nullptr) return;
    if (!dialog.seen) shown.start();
    dialog.seen = true;
    if (!painted() && shown.elapsed() < 5000) return;
    dialog.title = preview->windowTitle();
    dialog.parent = preview->parentWidget();
    dialog.isWindow = preview->windowFlags().testFlag(Qt::Window);
    preview->close();
  });
  poll.start();
  action();
  return dialog;
}

QString request(const char* command, const QString& args = QString()) {
  return QStringLiteral("[\"1.0.3.20150320\",\"qt\",\"%1\"%2]").arg(QLatin1String(command), args);
}

QString jsonString(const char* text) {
  QString escaped = QString::fromUtf8(text);
  escaped.replace(QLatin1Char('"'), QStringLiteral("\\\""));
  return QStringLiteral(",\"") + escaped + QLatin1Char('"');
}

QString compact(const QString& answer) { return answer.simplified().remove(QLatin1Char(' ')); }

// Sends generatePdfPreview with `document` and closes its dialog once painted.
SeenDialog previewDocument(PaintCountingWindow& window, const char* document) {
  const int paintsBefore = window.documentPaints;
  return whileClosingPreview(
      [&] { window.setCommand(request("generatePdfPreview", jsonString(document))); },
      [&] { return window.documentPaints > paintsBefore; });
}

}  // namespace

class PrintPreviewTest : public QObject {
  Q_OBJECT

 private slots:
  void documentPreviewPaintsTheDocumentOnItsPaper() {
    ScratchDirectory dir(kPage);
    PaintCountingWindow window({QStringLiteral("pageshell")});
    QVERIFY(qtest::waitForLoad(window.webView()->page()));
    const SeenDialog dialog = previewDocument(window, kDocument);
    QVERIFY(dialog.seen);
    QCOMPARE(dialog.title, QString::fromUtf8("Podgląd wydruku"));
    QCOMPARE(dialog.parent, nullptr);
    QVERIFY(window.documentPaints > 0);
    QCOMPARE(window.pagePaints, 0);
    QCOMPARE(window.loadedPages, 2);
    QCOMPARE(window.paperMm.toSize(), QSize(100, 150));
    QCOMPARE(window.resolution, 1200);
    QVERIFY(window.fullPage);
    QCOMPARE(compact(window.result()), QStringLiteral("[\"OK\"]"));
    // The document stays loaded after the dialog closes.
    QCOMPARE(window.pdfRenderer().pages().size(), 2);
  }

  void pagePreviewPaintsThePageAndLeavesTheDocument() {
    ScratchDirectory dir(kPage);
    PaintCountingWindow window({QStringLiteral("pageshell")});
    QVERIFY(qtest::waitForLoad(window.webView()->page()));
    previewDocument(window, kDocument);
    const SeenDialog dialog = whileClosingPreview([&] { window.setCommand(request("printPreview")); },
                                                  [&] { return window.pagePaints > 0; });
    QVERIFY(dialog.seen);
    QCOMPARE(dialog.title, QString::fromUtf8("Podgląd wydruku"));
    QCOMPARE(dialog.parent, static_cast<QWidget*>(&window));
    QVERIFY(dialog.isWindow);
    QVERIFY(window.pagePaints > 0);
    QCOMPARE(compact(window.result()), QStringLiteral("[\"OK\"]"));
    QCOMPARE(window.pdfRenderer().pages().size(), 2);
  }

  void debugMenuRunsThePagePreviewRoutine() {
    ScratchDirectory dir(kPage);
    PaintCountingWindow window({QStringLiteral("pageshell"), QStringLiteral("-debug")});
    QVERIFY(qtest::waitForLoad(window.webView()->page()));
    const SeenDialog dialog = whileClosingPreview(
        [&] { window.findChild<QAction*>(QStringLiteral("actionPrint_Preview"))->trigger(); },
        [&] { return window.pagePaints > 0; });
    QVERIFY(dialog.seen);
    QCOMPARE(dialog.title, QString::fromUtf8("Podgląd wydruku"));
    QCOMPARE(dialog.parent, static_cast<QWidget*>(&window));
    QVERIFY(window.pagePaints > 0);
  }

  void unreadableDocumentAnswersErrorWithoutADialog() {
    ScratchDirectory dir(kPage);
    PaintCountingWindow window({QStringLiteral("pageshell")});
    QVERIFY(qtest::waitForLoad(window.webView()->page()));
    previewDocument(window, kDocument);
    const char* bad = R"({"size":{"width":"100","height":"150"},"pages":[{"elems":[{"type":3,"value":{"pos":{"x":"one","y":"2"},"size":{"width":"3","height":"4"},"color":"red"}}]}]})";
    const SeenDialog dialog = whileClosingPreview(
        [&] { window.setCommand(request("generatePdfPreview", jsonString(bad))); }, [] { return true; });
    QVERIFY(!dialog.seen);
    QCOMPARE(compact(window.result()), QStringLiteral("[\"ERROR\",\"AnsiString::ToDouble()\"]"));
    QVERIFY(window.pdfRenderer().pages().isEmpty());
  }

  void reloadReplacesTheLoadedDocument() {
    ScratchDirectory dir(kPage);
    PaintCountingWindow window({QStringLiteral("pageshell"), QStringLiteral("-debug")});
    QWebPage* page = window.webView()->page();
    QVERIFY(qtest::waitForLoad(page));
    previewDocument(window, kDocument);
    QtPdfObj* before = &window.pdfRenderer();
    QCOMPARE(before->pages().size(), 2);
    window.findChild<QAction*>(QStringLiteral("actionRELOAD"))->trigger();
    QVERIFY(qtest::waitForLoad(page));
    QVERIFY(window.pdfRenderer().pages().isEmpty());

    // A preview after the reload shows only the new document.
    const char* onePage = R"({"size":{"width":"50","height":"50"},"pages":[{"elems":[]}]})";
    previewDocument(window, onePage);
    QCOMPARE(window.loadedPages, 1);
    QCOMPARE(window.paperMm.toSize(), QSize(50, 50));
  }
};

int main(int argc, char** argv) {
  qtest::prepareEnvironment();
  QApplication application(argc, argv);
  PrintPreviewTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "print_preview_test.moc"
