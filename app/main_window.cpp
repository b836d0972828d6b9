#include "app/main_window.h"

#include <QAbstractEventDispatcher>
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
#include <QScreen>
#include <QTime>

#include <cstdio>
#include <optional>

#include "app/development_url.h"
#include "app/main_loop.h"
#include "app/main_window_form.h"
#include "app/web_view.h"
#include "bridge/callback.h"
#include "bridge/failure.h"
#include "bridge/print/print.h"
#include "bridge/protocol/protocol.h"
#include "bridge/utf8_text.h"
#include "platform/file_writer.h"
#include "platform/sockets.h"
#include "print/render/qt_pdf_obj.h"

namespace app {

// Marks the window busy while a command or a debug action runs on it. A
// deletion asked for meanwhile (page script may call deleteLater() from a
// callback while a command waits in a dialog that lives on the command's
// stack) is carried out when the last one ends.
class MainWindow::Busy {
 public:
  explicit Busy(MainWindow& window) : window_(window) { ++window_.busy_; }
  ~Busy() {
    --window_.busy_;
    window_.reloadWhenIdle();
    window_.deleteWhenIdle();
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
    std::printf("Ignoring SIGPIPE failed with error: %d\n", started.code());
  }
  int i = 1;
  std::optional<QString> developmentUrl;
  for (; i < arguments.size() && arguments[i] != QLatin1String("--"); ++i) {
    if (arguments[i] == QLatin1String("-debug")) debug_ = true;
    if (arguments[i] == QLatin1String("-dev-url")) {
      developmentUrl = i + 1 < arguments.size() ? arguments[++i] : QString();
    }
  }
  for (++i; i < arguments.size(); ++i) pageArguments_.push_back(arguments[i].toStdString());
  cmdState_.echoToStandardError(debug_);
  if (developmentUrl) {
    const DevelopmentUrl read = readDevelopmentUrl(*developmentUrl, debug_);
    cmdState_.log(read.logLine);
    if (!read.url.isEmpty()) {
      startUrl_ = read.url;
      localDocuments_ = LocalDocuments(read.url);
    }
  }
  view_ = createWebView(*this, this, debug_, localDocuments_);
  ui_->setupUi(this, view_->widget());
  // Before the page can run a script, so that a title the page sets while it
  // loads is never overwritten.
  setWindowTitle(QStringLiteral("Trwa ladowanie aplikacji...."));

  ui_->menuBar->hide();
  if (debug_) ui_->menuBar->show();
  connect(ui_->actionDUMP, &QAction::triggered, this, &MainWindow::handle_dump_data);
  connect(ui_->actionRELOAD, &QAction::triggered, this, &MainWindow::handle_reload);
  connect(ui_->actionPrint_Preview, &QAction::triggered, this, &MainWindow::handle_print_preview);

  const QImage loadPicture(QStringLiteral("Load.png"));
  auto* scene = new QGraphicsScene(this);
  ui_->graphicsView->setScene(scene);
  scene->addItem(new QGraphicsPixmapItem(QPixmap::fromImage(loadPicture)));
  ui_->graphicsView->setFixedSize(1100, 740);

  if (debug_) addDeveloperTools();
  // A deletion held back by a nested loop is looked at again each time the
  // thread wakes or is about to wait, as it does in the outer loop once the
  // nested one has ended.
  QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
  connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &MainWindow::deleteWhenIdle);
  connect(dispatcher, &QAbstractEventDispatcher::awake, this, &MainWindow::deleteWhenIdle);
  bridge::acceptCallbacksFor(view_.get());
  bridge::setLogTarget(&cmdState_);
  loadStartPage();
  ui_->graphicsView->setFixedSize(1, 1);
}

MainWindow::~MainWindow() {
  bridge::setLogTarget(nullptr);
  bridge::refuseCallbacksFor(view_.get());
}

QRect MainWindow::availableScreenArea() const {
  const QScreen* shown = screen();
  return shown == nullptr ? geometry() : shown->availableGeometry();
}

void MainWindow::addDeveloperTools() {
  auto* inspect = new QAction(QStringLiteral("INSPECT"), this);
  inspect->setObjectName(QStringLiteral("actionINSPECT"));
  inspect->setShortcut(QKeySequence(Qt::Key_F12));
  ui_->menuDEBUG->addAction(inspect);
  addAction(inspect);  // F12 reaches it wherever the focus is in the window
  connect(inspect, &QAction::triggered, this, [this] { view_->showDeveloperTools(); });
}

QUrl MainWindow::startPage() const {
  if (!startUrl_.isEmpty()) return startUrl_;
  return QUrl::fromLocalFile(QDir::currentPath() + QStringLiteral("/index.html"));
}

void MainWindow::loadStartPage() { view_->load(startPage()); }

bool MainWindow::event(QEvent* event) {
  if (event->type() == QEvent::DeferredDelete && (busy_ > 0 || !inOutermostLoop())) {
    deletionRequested_ = true;
    return true;
  }
  return QMainWindow::event(event);
}

void MainWindow::requestDeletion() {
  deletionRequested_ = true;
  deleteWhenIdle();
}

void MainWindow::deleteWhenIdle() {
  if (!deletionRequested_ || busy_ > 0 || !inOutermostLoop()) return;
  deletionRequested_ = false;
  // Posted from the outermost loop, so only that loop carries it out.
  deleteLater();
}

std::string MainWindow::runCommand(std::string_view request) {
  Busy busy(*this);
  std::string result;
  try {
    result = cmdState_.runRequest(this, view_.get(), request);
  } catch (...) {
    // Only memory can run out here; the page still gets an answer it can read.
    const std::string failure = bridge::currentFailure();
    cmdState_.log("Command failed: " + failure);
    result = bridge::writeList(bridge::errorAnswer(failure));
  }
  ui_->graphicsView->setFixedSize(1, 1);
  return result;
}

void MainWindow::setExitListener(bridge::Page* page, const std::string& listener) {
  exitListener_ = listener;
  exitListenerPage_ = page;
}

void MainWindow::dropExitListener() {
  exitListener_.clear();
  exitListenerPage_ = nullptr;
}

void MainWindow::documentCreated(const QUrl& url, bool local) {
  if (local) {
    reloadedSinceLoss_ = false;
    return;
  }
  dropExitListener();
  cmdState_.log("myObject not published to a non-local document [" +
                url.toString().toUtf8().toStdString() + "]");
}

void MainWindow::addressChanged(const QUrl& url) {
  if (!localDocuments_.contains(url)) dropExitListener();
}

void MainWindow::pageLost(const std::string& reason) {
  dropExitListener();
  if (reloadedSinceLoss_) {
    cmdState_.log("Page lost: " + reason + "; lost again before it ran, so not loaded again");
    return;
  }
  cmdState_.log("Page lost: " + reason + "; index.html loaded again");
  reloadedSinceLoss_ = true;
  reloadRequested_ = true;
  reloadWhenIdle();
}

void MainWindow::reloadWhenIdle() {
  // Not while a command of the lost page still runs (a dialog of it may be
  // open): the new page loads once that command has returned.
  if (!reloadRequested_ || busy_ > 0) return;
  reloadRequested_ = false;
  loadStartPage();
}

void MainWindow::handle_dump_data() {
  const QString name = QStringLiteral("debug-%1-%2.html")
                           .arg(QDate::currentDate().toString(QStringLiteral("yyyyMMdd")),
                                QTime::currentTime().toString(QStringLiteral("hhmmss")));
  view_->toHtml([this, name](const QString& html) {
    const QByteArray bytes = bridge::utf8Bytes(html);
    const platform::Status written = platform::writeWholeFile(
        name.toStdString(),
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (!written.ok()) cmdState_.log("DUMP failed: " + written.message());
  });
}

void MainWindow::handle_reload() {
  pdfRenderer_ = std::make_unique<QtPdfObj>();
  // A reload keeps the exit listener. QtWebKit shows about:blank on the
  // way, before clearCachesAndLoad() returns.
  const std::string listener = exitListener_;
  bridge::Page* listenerPage = exitListenerPage_;
  view_->clearCachesAndLoad(startPage());
  setExitListener(listenerPage, listener);
}

void MainWindow::handle_print_preview() {
  Busy busy(*this);
  bridge::print::previewPage(*this);
}

void MainWindow::printPreview(QPrinter* printer) { view_->print(printer); }

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
