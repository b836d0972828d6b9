#include "app/main_window.h"

#include <QCloseEvent>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QImage>
#include <QKeySequence>
#include <QMenuBar>
#include <QPrinter>
#include <QTime>
#include <QWebFrame>
#include <QWebInspector>
#include <QWebSettings>
#include <QWebView>

#include <cstdio>

#include "app/custom_page.h"
#include "app/main_window_form.h"
#include "bridge/callback.h"
#include "bridge/failure.h"
#include "bridge/print/print.h"
#include "bridge/protocol/protocol.h"
#include "platform/memory.h"
#include "platform/sockets.h"
#include "print/render/qt_pdf_obj.h"

namespace app {
namespace {

// The answer as the page's string. The writer escapes every byte past ASCII,
// so the answer reads the same as Latin-1, which Qt widens without decoding.
// The 16-bit copy of a large answer is fresh memory that the system would
// fault in and zero page by page; asked for large pages, it takes a few
// hundred faults instead of tens of thousands.
QString pageText(const std::string& answer) {
  const int length = static_cast<int>(answer.size());
  QString text;
  text.reserve(length);
  platform::adviseLargePages(text.constData(), answer.size() * sizeof(QChar));
  text.append(QLatin1String(answer.data(), length));
  return text;
}

}  // namespace

// Marks the window busy while a command or a debug action runs on it. A
// deletion asked for meanwhile (page script may call deleteLater() from a
// callback while a command waits in a dialog that lives on the command's
// stack) is carried out when the last one ends.
class MainWindow::Busy {
 public:
  explicit Busy(MainWindow& window) : window_(window) { ++window_.busy_; }
  ~Busy() {
    if (--window_.busy_ > 0 || !window_.deleteWhenIdle_) return;
    window_.deleteWhenIdle_ = false;
    window_.deleteLater();
  }
  Busy(const Busy&) = delete;
  Busy& operator=(const Busy&) = delete;

 private:
  MainWindow& window_;
};

MainWindow::MainWindow(const QStringList& arguments, QWidget* parent)
    : QMainWindow(parent),
      ui_(std::make_unique<MainWindowForm>()),
      pdfRenderer_(std::make_unique<QtPdfObj>()) {
  if (const platform::Status started = platform::socketsStartup(); !started.ok()) {
    std::printf("WSAStartup failed with error: %d\n", started.code());
  }
  enableLocalStorage();  // before the form's view makes its first page
  ui_->setupUi(this);

  ui_->menuBar->hide();
  for (int i = 1; i < arguments.size(); ++i) {
    if (arguments[i] == QLatin1String("-debug")) debug_ = true;
  }
  if (debug_) ui_->menuBar->show();
  connect(ui_->actionDUMP, &QAction::triggered, this, &MainWindow::handle_dump_data);
  connect(ui_->actionRELOAD, &QAction::triggered, this, &MainWindow::handle_reload);
  connect(ui_->actionPrint_Preview, &QAction::triggered, this, &MainWindow::handle_print_preview);

  // Parented to the view so that it goes with it.
  auto* page = new CustomPage(ui_->webView);

  const QImage loadPicture(QStringLiteral("Load.png"));
  auto* scene = new QGraphicsScene(this);
  ui_->graphicsView->setScene(scene);
  scene->addItem(new QGraphicsPixmapItem(QPixmap::fromImage(loadPicture)));
  ui_->graphicsView->setFixedSize(1100, 740);

  ui_->webView->setContextMenuPolicy(Qt::PreventContextMenu);
  enableWebSettings();
  ui_->webView->setPage(page);
  if (debug_) addInspector();
  cmdState_.echoToStandardError(debug_);
  page->echoLogToStandardError(debug_);
  bridge::acceptCallbacksFor(page);
  bridge::setLogTarget(&cmdState_);
  connect(page->currentFrame(), &QWebFrame::javaScriptWindowObjectCleared, this,
          &MainWindow::add_objects_to_javascript);
  loadStartPage();
  ui_->graphicsView->setFixedSize(1, 1);
  enableWebSettings();
}

MainWindow::~MainWindow() {
  bridge::setLogTarget(nullptr);
  bridge::refuseCallbacksFor(ui_->webView->page());
}

QWebView* MainWindow::webView() const { return ui_->webView; }

void MainWindow::enableWebSettings() {
  QWebSettings* settings = ui_->webView->settings();
  settings->setAttribute(QWebSettings::PluginsEnabled, true);
  settings->setAttribute(QWebSettings::LocalContentCanAccessFileUrls, true);
  settings->setAttribute(QWebSettings::LocalContentCanAccessRemoteUrls, true);
  if (debug_) settings->setAttribute(QWebSettings::DeveloperExtrasEnabled, true);
}

void MainWindow::enableLocalStorage() {
  // Beside debug/, so that what a page keeps lives with the rest of its data.
  // Set globally: a page reads the storage path when it is made.
  QWebSettings* settings = QWebSettings::globalSettings();
  settings->setLocalStoragePath(QDir::current().absoluteFilePath(QStringLiteral("storage")));
  settings->setAttribute(QWebSettings::LocalStorageEnabled, true);
}

void MainWindow::addInspector() {
  QWebPage* page = ui_->webView->page();
  page->settings()->setAttribute(QWebSettings::DeveloperExtrasEnabled, true);
  ui_->webView->setContextMenuPolicy(Qt::DefaultContextMenu);  // "Inspect Element"

  // Set on the page before anything asks for it, so that the context menu
  // opens this inspector too rather than one of its own.
  inspector_ = new QWebInspector(this);
  inspector_->setObjectName(QStringLiteral("webInspector"));
  inspector_->setWindowFlags(Qt::Window);
  inspector_->setWindowTitle(QStringLiteral("Web Inspector"));
  inspector_->resize(1000, 640);
  inspector_->setPage(page);

  auto* inspect = new QAction(QStringLiteral("INSPECT"), this);
  inspect->setObjectName(QStringLiteral("actionINSPECT"));
  inspect->setShortcut(QKeySequence(Qt::Key_F12));
  ui_->menuDEBUG->addAction(inspect);
  addAction(inspect);  // F12 reaches it wherever the focus is in the window
  connect(inspect, &QAction::triggered, this, [this] {
    inspector_->show();
    inspector_->raise();
    inspector_->activateWindow();
  });
}

void MainWindow::loadStartPage() {
  ui_->webView->load(QUrl::fromLocalFile(QDir::currentPath() + QStringLiteral("/index.html")));
}

bool MainWindow::event(QEvent* event) {
  if (event->type() == QEvent::DeferredDelete && busy_ > 0) {
    deleteWhenIdle_ = true;
    return true;
  }
  return QMainWindow::event(event);
}

void MainWindow::setCommand(const QString& text) {
  Busy busy(*this);
  runCommand(text);
}

void MainWindow::runCommand(const QString& text) {
  try {
    const QByteArray utf8 = text.toUtf8();
    const auto answer = cmdState_.runRequest(this, ui_->webView->page(),
                                             std::string_view(utf8.constData(), utf8.size()));
    if (!answer) return;
    result_ = pageText(*answer);
  } catch (...) {
    // Only memory can run out here; the page still gets an answer it can read.
    const std::string failure = bridge::currentFailure();
    cmdState_.log("Command failed: " + failure);
    result_ = QString::fromStdString(bridge::writeList(bridge::errorAnswer(failure)));
  }
  ui_->graphicsView->setFixedSize(1, 1);
}

void MainWindow::setExitListener(QWebPage* page, const std::string& listener) {
  exitListener_ = listener;
  exitListenerPage_ = page;
}

void MainWindow::add_objects_to_javascript() {
  // A new document: whatever the old one registered went with it.
  exitListener_.clear();
  exitListenerPage_ = nullptr;

  QWebFrame* frame = ui_->webView->page()->mainFrame();
  const QUrl url = frame->url();
  if (!url.isLocalFile()) {
    cmdState_.log("myObject not published to a non-local document [" +
                  url.toString().toUtf8().toStdString() + "]");
    return;
  }
  frame->addToJavaScriptWindowObject(QStringLiteral("myObject"), this);
}

void MainWindow::handle_dump_data() {
  const QString name = QStringLiteral("debug-%1-%2.html")
                           .arg(QDate::currentDate().toString(QStringLiteral("yyyyMMdd")),
                                QTime::currentTime().toString(QStringLiteral("hhmmss")));
  QFile file(name);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
  file.write(ui_->webView->page()->currentFrame()->toHtml().toUtf8());
}

void MainWindow::handle_reload() {
  pdfRenderer_ = std::make_unique<QtPdfObj>();
  QWebSettings::clearMemoryCaches();
  ui_->webView->setUrl(QUrl());
  loadStartPage();
  enableWebSettings();
}

void MainWindow::handle_print_preview() {
  Busy busy(*this);
  bridge::print::previewPage(*this, this);
}

void MainWindow::printPreview(QPrinter* printer) {
  ui_->webView->page()->currentFrame()->print(printer);
}

void MainWindow::generatePdfPreview(QPrinter* printer) { pdfRenderer_->paint(printer); }

void MainWindow::closeEvent(QCloseEvent* event) {
  if (exitListener_.empty()) {
    event->accept();
    return;
  }
  event->ignore();
  cmdState_.notifyExit(exitListener_, exitListenerPage_);
}

}  // namespace app
