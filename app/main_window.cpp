#include "app/main_window.h"

#include <QCloseEvent>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QImage>
#include <QMenuBar>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTime>
#include <QWebFrame>
#include <QWebSettings>
#include <QWebView>

#include <cstdio>

#include "app/custom_page.h"
#include "app/main_window_form.h"
#include "bridge/callback.h"
#include "bridge/failure.h"
#include "bridge/protocol/protocol.h"
#include "platform/sockets.h"

namespace app {

MainWindow::MainWindow(const QStringList& arguments, QWidget* parent)
    : QMainWindow(parent), ui_(std::make_unique<MainWindowForm>()) {
  if (int error = platform::socketsStartup()) {
    std::printf("WSAStartup failed with error: %d\n", error);
  }
  ui_->setupUi(this);

  ui_->menuBar->hide();
  for (int i = 1; i < arguments.size(); ++i) {
    if (arguments[i] == QLatin1String("-debug")) ui_->menuBar->show();
  }
  connect(ui_->actionDUMP, &QAction::triggered, this, &MainWindow::handle_dump_data);
  connect(ui_->actionRELOAD, &QAction::triggered, this, &MainWindow::handle_reload);
  connect(ui_->actionPrint_Preview, &QAction::triggered, this,
          &MainWindow::handle_print_preview);

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
}

void MainWindow::loadStartPage() {
  ui_->webView->load(QUrl::fromLocalFile(QDir::currentPath() + QStringLiteral("/index.html")));
}

void MainWindow::setCommand(const QString& text) {
  try {
    const QByteArray utf8 = text.toUtf8();
    const auto answer = cmdState_.runRequest(this, ui_->webView->page(),
                                             std::string(utf8.constData(), utf8.size()));
    if (!answer) return;
    result_ = QString::fromUtf8(answer->data(), static_cast<int>(answer->size()));
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
  QWebSettings::clearMemoryCaches();
  ui_->webView->setUrl(QUrl());
  loadStartPage();
  enableWebSettings();
}

void MainWindow::handle_print_preview() {
  QPrintPreviewDialog dialog(this);
  connect(&dialog, &QPrintPreviewDialog::paintRequested, this, &MainWindow::printPreview);
  dialog.exec();
}

void MainWindow::printPreview(QPrinter* printer) {
  ui_->webView->page()->currentFrame()->print(printer);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (exitListener_.empty()) {
    event->accept();
    return;
  }
  event->ignore();
  cmdState_.notifyExit(exitListener_, exitListenerPage_);
}

}  // namespace app
