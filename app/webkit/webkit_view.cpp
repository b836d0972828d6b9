#include "app/webkit/webkit_view.h"

#include <QWebFrame>
#include <QWebInspector>
#include <QWebSettings>
#include <QWebView>

#include "app/local_document.h"
#include "app/page_hooks.h"
#include "app/page_log.h"
#include "app/webkit/page_object.h"

namespace app {
const char* engineName() { return "webkit"; }

std::string prepareEngine() { return std::string(); }

std::unique_ptr<WebView> createWebView(PageHooks& hooks, QWidget* window, bool debug) {
  return std::make_unique<WebKitView>(hooks, window, debug);
}

WebKitPage::WebKitPage(PageHooks& hooks, QObject* parent) : QWebPage(parent), hooks_(hooks) {}

void WebKitPage::javaScriptConsoleMessage(const QString& message, int lineNumber,
                                          const QString& sourceID) {
  hooks_.log(consoleLine(message, lineNumber, sourceID));
}

void WebKitPage::javaScriptAlert(QWebFrame*, const QString& msg) { hooks_.log(alertLine(msg)); }

WebKitView::WebKitView(PageHooks& hooks, QWidget* window, bool debug)
    : WebView(hooks), debug_(debug), storage_(hooks) {
  // Set globally before the view makes its first page: a page reads the
  // storage path when it is made.
  QWebSettings* global = QWebSettings::globalSettings();
  global->setLocalStoragePath(storage_.folder());
  global->setAttribute(QWebSettings::LocalStorageEnabled, true);
  view_ = new QWebView(window);
  view_->setUrl(QUrl(QStringLiteral("about:blank")));
  // Parented to the view so that it goes with it.
  page_ = new WebKitPage(hooks, view_);
  object_ = new PageObject(hooks, view_);
  view_->setContextMenuPolicy(Qt::PreventContextMenu);
  enableSettings();
  view_->setPage(page_);
  if (debug_) {
    page_->settings()->setAttribute(QWebSettings::DeveloperExtrasEnabled, true);
    view_->setContextMenuPolicy(Qt::DefaultContextMenu);  // "Inspect Element"
    // Set on the page before anything asks for it, so that the context menu
    // opens this inspector too rather than one of its own.
    inspector_ = new QWebInspector(window);
    inspector_->setObjectName(QStringLiteral("webInspector"));
    inspector_->setWindowFlags(Qt::Window);
    inspector_->setWindowTitle(QStringLiteral("Web Inspector"));
    inspector_->resize(1000, 640);
    inspector_->setPage(page_);
  }
  handlers_ = std::make_unique<QObject>();
  QObject::connect(page_->mainFrame(), &QWebFrame::javaScriptWindowObjectCleared, handlers_.get(),
                   [this] { publishObject(); });
  QObject::connect(page_->mainFrame(), &QWebFrame::urlChanged, handlers_.get(),
                   [this](const QUrl& url) { hooks_.addressChanged(url); });
  QObject::connect(page_, &QWebPage::loadStarted, handlers_.get(), [this] { loadStarted(); });
  QObject::connect(page_, &QWebPage::loadFinished, handlers_.get(), [this] { loadEnded(); });
}

WebKitView::~WebKitView() {
  handlers_.reset();
  delete inspector_;
  delete view_;
}

QWidget* WebKitView::widget() { return view_; }

void WebKitView::enableSettings() {
  QWebSettings* settings = view_->settings();
  settings->setAttribute(QWebSettings::PluginsEnabled, true);
  settings->setAttribute(QWebSettings::LocalContentCanAccessFileUrls, true);
  settings->setAttribute(QWebSettings::LocalContentCanAccessRemoteUrls, true);
  if (debug_) settings->setAttribute(QWebSettings::DeveloperExtrasEnabled, true);
}

void WebKitView::load(const QUrl& url) {
  view_->load(url);
  enableSettings();
}

void WebKitView::clearCachesAndLoad(const QUrl& url) {
  QWebSettings::clearMemoryCaches();
  view_->setUrl(QUrl());
  load(url);
}

void WebKitView::publishObject() {
  QWebFrame* frame = page_->mainFrame();
  const QUrl url = frame->url();
  localDocument_ = isLocalDocument(url);
  hooks_.documentCreated(url, localDocument_);
  if (localDocument_) frame->addToJavaScriptWindowObject(QStringLiteral("myObject"), object_);
}

void WebKitView::deliverRecords(const std::vector<bridge::PageRecord>& records) {
  QWebFrame* frame = page_->mainFrame();
  if (!localDocument_) {
    hooks_.log("Callback not delivered to a non-local document [" +
               frame->url().toString().toUtf8().toStdString() + "]");
    return;
  }
  for (const bridge::PageRecord& record : records) {
    frame->evaluateJavaScript(QStringLiteral("WebBrowserUtil_callback(") + record.text +
                              QStringLiteral(");"));
  }
}

void WebKitView::toHtml(std::function<void(const QString& html)> done) {
  done(page_->mainFrame()->toHtml());
}

void WebKitView::print(QPrinter* printer) { page_->mainFrame()->print(printer); }

void WebKitView::showDeveloperTools() {
  if (inspector_ == nullptr) return;
  inspector_->show();
  inspector_->raise();
  inspector_->activateWindow();
}

QVariant WebKitView::evaluate(const QString& script) {
  return page_->mainFrame()->evaluateJavaScript(script);
}

}  // namespace app
