// The print previews, which only a person closes: each command opens its
// dialog (closed here from a timer), paints through the window's slot and
// answers ["OK"]; a page reload replaces the loaded document.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTimer>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "app/main_window.h"
#include "print/render/qt_pdf_obj.h"
#include "tests/support/qt_page.h"
#include "tests/support/scratch.h"

namespace {

std::string page() {
  return (QStringLiteral("<html><head>") + support::callScriptElement() +
          QStringLiteral("</head><body><p>page to preview</p></body></html>"))
      .toStdString();
}

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
  QSize size;
};

// Runs `action` while a timer watches for a modal preview and closes it once
// `painted` holds (or after a while, so a broken preview cannot hang the test).
SeenDialog whileClosingPreview(const std::function<void()>& action,
                               const std::function<bool()>& painted) {
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
    dialog.size = preview->size();
    preview->close();
  });
  poll.start();
  action();
  return dialog;
}

QString compact(const QString& answer) { return answer.simplified().remove(QLatin1Char(' ')); }

// Sends `command` from the page, with `arguments` (script) after its name.
void send(app::MainWindow& window, const char* command, const QString& arguments = QString()) {
  support::evaluate(window.webView(),
                    QStringLiteral("call('%1'%2)").arg(QLatin1String(command), arguments));
}

// Sends generatePdfPreview with `document` and closes its dialog once painted.
SeenDialog previewDocument(PaintCountingWindow& window, const char* document) {
  const int paintsBefore = window.documentPaints;
  return whileClosingPreview(
      [&] {
        send(window, "generatePdfPreview",
             QStringLiteral(", JSON.stringify(%1)").arg(QString::fromUtf8(document)));
      },
      [&] { return window.documentPaints > paintsBefore; });
}

TEST(PrintPreview, DocumentPreviewPaintsTheDocumentOnItsPaper) {
  support::PageFolder folder(page());
  PaintCountingWindow window({QStringLiteral("pageshell")});
  ASSERT_TRUE(support::waitForLoad(window.webView()));
  const SeenDialog dialog = previewDocument(window, kDocument);
  EXPECT_TRUE(dialog.seen);
  EXPECT_EQ(dialog.title, QString::fromUtf8("Podgląd wydruku"));
  EXPECT_EQ(dialog.parent, nullptr);
  EXPECT_TRUE(window.documentPaints > 0);
  EXPECT_EQ(window.pagePaints, 0);
  EXPECT_EQ(window.loadedPages, 2);
  EXPECT_EQ(window.paperMm.toSize(), QSize(100, 150));
  EXPECT_EQ(window.resolution, 1200);
  EXPECT_TRUE(window.fullPage);
  EXPECT_EQ(
      compact(support::evaluate(window.webView(), QStringLiteral("myObject.result")).toString()),
      QStringLiteral("[\"OK\"]"));
  // The document stays loaded after the dialog closes.
  EXPECT_EQ(window.pdfRenderer().pages().size(), 2);
}

TEST(PrintPreview, PagePreviewPaintsThePageAndLeavesTheDocument) {
  support::PageFolder folder(page());
  PaintCountingWindow window({QStringLiteral("pageshell")});
  ASSERT_TRUE(support::waitForLoad(window.webView()));
  previewDocument(window, kDocument);
  const SeenDialog dialog = whileClosingPreview([&] { send(window, "printPreview"); },
                                                [&] { return window.pagePaints > 0; });
  EXPECT_TRUE(dialog.seen);
  EXPECT_EQ(dialog.title, QString::fromUtf8("Podgląd wydruku"));
  EXPECT_EQ(dialog.parent, static_cast<QWidget*>(&window));
  EXPECT_TRUE(dialog.isWindow);
  // Large enough to read a page in.
  EXPECT_GE(dialog.size.width(), 600);
  EXPECT_GE(dialog.size.height(), 450);
  EXPECT_TRUE(window.pagePaints > 0);
  EXPECT_EQ(
      compact(support::evaluate(window.webView(), QStringLiteral("myObject.result")).toString()),
      QStringLiteral("[\"OK\"]"));
  EXPECT_EQ(window.pdfRenderer().pages().size(), 2);
}

TEST(PrintPreview, DebugMenuRunsThePagePreviewRoutine) {
  support::PageFolder folder(page());
  PaintCountingWindow window({QStringLiteral("pageshell"), QStringLiteral("-debug")});
  ASSERT_TRUE(support::waitForLoad(window.webView()));
  const SeenDialog dialog = whileClosingPreview(
      [&] { window.findChild<QAction*>(QStringLiteral("actionPrint_Preview"))->trigger(); },
      [&] { return window.pagePaints > 0; });
  EXPECT_TRUE(dialog.seen);
  EXPECT_EQ(dialog.title, QString::fromUtf8("Podgląd wydruku"));
  EXPECT_EQ(dialog.parent, static_cast<QWidget*>(&window));
  EXPECT_TRUE(window.pagePaints > 0);
}

TEST(PrintPreview, UnreadableDocumentAnswersErrorWithoutADialog) {
  support::PageFolder folder(page());
  PaintCountingWindow window({QStringLiteral("pageshell")});
  ASSERT_TRUE(support::waitForLoad(window.webView()));
  previewDocument(window, kDocument);
  const char* bad =
      R"({"size":{"width":"100","height":"150"},"pages":[{"elems":[{"type":3,"value":{"pos":{"x":"one","y":"2"},"size":{"width":"3","height":"4"},"color":"red"}}]}]})";
  const SeenDialog dialog = whileClosingPreview(
      [&] {
        send(window, "generatePdfPreview",
             QStringLiteral(", JSON.stringify(%1)").arg(QString::fromUtf8(bad)));
      },
      [] { return true; });
  EXPECT_FALSE(dialog.seen);
  EXPECT_EQ(
      compact(support::evaluate(window.webView(), QStringLiteral("myObject.result")).toString()),
      QStringLiteral("[\"ERROR\",\"AnsiString::ToDouble()\"]"));
  EXPECT_TRUE(window.pdfRenderer().pages().isEmpty());
}

TEST(PrintPreview, ReloadReplacesTheLoadedDocument) {
  support::PageFolder folder(page());
  PaintCountingWindow window({QStringLiteral("pageshell"), QStringLiteral("-debug")});
  app::WebView& webPage = window.webView();
  ASSERT_TRUE(support::waitForLoad(webPage));
  previewDocument(window, kDocument);
  QtPdfObj* before = &window.pdfRenderer();
  EXPECT_EQ(before->pages().size(), 2);
  window.findChild<QAction*>(QStringLiteral("actionRELOAD"))->trigger();
  ASSERT_TRUE(support::waitForLoad(webPage));
  EXPECT_TRUE(window.pdfRenderer().pages().isEmpty());

  // A preview after the reload shows only the new document.
  const char* onePage = R"({"size":{"width":"50","height":"50"},"pages":[{"elems":[]}]})";
  previewDocument(window, onePage);
  EXPECT_EQ(window.loadedPages, 1);
  EXPECT_EQ(window.paperMm.toSize(), QSize(50, 50));
}

// The page previews as it prints, not as the screen shows it: a frame
// only print rules show, black from a rule the page's script added, from a
// style sheet beside the page. The screen shows one grey word. On WebEngine
// the print comes from a copy the page's script made, which keeps what a
// person has entered and drawn, and leaves script out.
TEST(PrintPreview, PagePreviewLaysThePageOutForPrint) {
  support::PageFolder folder(
      (QStringLiteral("<html><head>") + support::callScriptElement() +
       QStringLiteral(
           "<link rel=stylesheet href=print.css><style id=added></style>"
           "<script>document.getElementById('added').sheet.insertRule("
           "'@media print { .frame { border-color: black } }', 0)</script>"
           "</head><body><div class=frame></div><p class=word>screen</p>"
           "<input id=who><input id=box type=checkbox><textarea id=note></textarea>"
           "<select id=pick><option>first<option>second</select><canvas id=drawn></canvas>"
           "<script>who.value = 'Ala'; box.checked = true; note.value = 'a note';"
           "pick.selectedIndex = 1; drawn.getContext('2d').fillRect(0, 0, 5, 5);</script>"
           "</body></html>"))
          .toStdString());
  std::ofstream(folder / "print.css")
      << "body { color: #999 } .frame { display: none }\n"
         "@media print { .word { display: none }"
         " .frame { display: block; border: 3cm solid; height: 2cm } }\n";
  support::Directory temporary("print-copy");
  support::Environment environment;
  environment.set("TMPDIR", temporary.path());
  app::MainWindow window({QStringLiteral("pageshell")});
  ASSERT_TRUE(support::waitForLoad(window.webView()));
  int darkPixels = 0;
  std::string copy;
  const SeenDialog dialog = whileClosingPreview([&] { send(window, "printPreview"); }, [&] {
    for (const QFileInfo& folder : QDir(QString::fromStdString(temporary.path()))
                                       .entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot)) {
      copy = support::readFile(folder.filePath().toStdString() + "/page.html");
    }
    auto* preview = QApplication::activeModalWidget()->findChild<QPrintPreviewWidget*>();
    const QImage shown = preview->grab().toImage();
    darkPixels = 0;
    for (int y = 0; y < shown.height(); ++y) {
      for (int x = 0; x < shown.width(); ++x) darkPixels += qGray(shown.pixel(x, y)) < 40;
    }
    return darkPixels > 10000;
  });
  EXPECT_TRUE(dialog.seen);
  EXPECT_GT(darkPixels, 10000);
  EXPECT_EQ(
      compact(support::evaluate(window.webView(), QStringLiteral("myObject.result")).toString()),
      QStringLiteral("[\"OK\"]"));
  if (std::string(app::engineName()) != "webengine") return;
  for (const char* kept :
       {"<base href=\"file://", "value=\"Ala\"", "type=\"checkbox\" checked=\"\"",
        ">a note</textarea>", "<option selected=\"\">second", "<img id=\"drawn\"",
        "src=\"data:image/png;base64,", "border-color: black"}) {
    EXPECT_NE(copy.find(kept), std::string::npos) << kept << " in " << copy;
  }
  EXPECT_EQ(copy.find("<script"), std::string::npos) << copy;
  // The copy may hold what a person typed: it goes with the preview.
  EXPECT_TRUE(QDir(QString::fromStdString(temporary.path())).isEmpty());
}

// Records that come while the page's preview is open are none of them lost.
// On WebEngine they wait until the page has its answer and come in order;
// QtWebKit runs them inside the dialog's loop, whenever they come.
TEST(PrintPreview, RecordsThatComeDuringThePagePreviewFollowItsAnswer) {
  support::PageFolder folder(support::recordingPage(QString()));
  app::MainWindow window({QStringLiteral("pageshell")});
  ASSERT_TRUE(support::waitForLoad(window.webView()));
  QElapsedTimer open;
  whileClosingPreview(
      [&] {
        support::evaluate(
            window.webView(),
            QStringLiteral(
                "var order = [];"
                "WebBrowserUtil_callback = function (record) { order.push(record[0]); };"
                "call('sqliteAsyncExecute', '', 'p.sqlite', 'first', 'CREATE TABLE t (x)');"
                "call('printPreview'); order.push('answered');"
                "call('sqliteAsyncExecute', '', 'p.sqlite', 'second', 'CREATE TABLE u (x)');"));
      },
      [&] {
        // Long enough for the first record to come while the page waits.
        if (!open.isValid()) open.start();
        return open.elapsed() > 300;
      });
  ASSERT_TRUE(support::waitForScript(window.webView(), QStringLiteral("order.length === 3")));
  const QString order =
      support::evaluate(window.webView(), QStringLiteral("order.join()")).toString();
  if (std::string(app::engineName()) == "webengine") {
    EXPECT_EQ(order, QStringLiteral("answered,first,second"));
  } else {
    EXPECT_TRUE(order.endsWith(QStringLiteral(",second"))) << order.toStdString();
  }
}

}  // namespace
