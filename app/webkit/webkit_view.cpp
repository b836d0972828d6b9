#include "app/webkit/webkit_view.h"

#include <QWebFrame>
#include <QWebInspector>
#include <QWebSettings>
#include <QWebView>

#include "app/page_hooks.h"
#include "app/page_log.h"
#include "app/page_settings.h"
#include "app/webkit/native_call.h"

namespace app {
const char* engineName() { return "webkit"; }

std::string prepareEngine() { return std::string(); }

std::unique_ptr<WebView> createWebView(PageHooks& hooks, QWidget* window, bool debug,
                                       LocalDocuments localDocuments) {
  return std::make_unique<WebKitView>(hooks, window, debug, localDocuments);
}

WebKitPage::WebKitPage(PageHooks& hooks, ConsoleSources* sources, QObject* parent)
    : QWebPage(parent), hooks_(hooks), sources_(sources) {}

void WebKitPage::javaScriptConsoleMessage(const QString& message, int lineNumber,
                                          const QString& sourceID) {
  hooks_.log(consoleLine(message, lineNumber, sourceID,
                         sources_ ? sources_->originalOf(sourceID, lineNumber) : std::string()));
}

void WebKitPage::javaScriptAlert(QWebFrame*, const QString& msg) { hooks_.log(alertLine(msg)); }

WebKitView::WebKitView(PageHooks& hooks, QWidget* window, bool debug,
                       LocalDocuments localDocuments)
    : WebView(hooks, localDocuments), debug_(debug), storage_(hooks) {
  // Set globally before the view makes its first page: a page reads the
  // storage path when it is made.
  QWebSettings* global = QWebSettings::globalSettings();
  global->setLocalStoragePath(storage_.folder());
  global->setAttribute(QWebSettings::LocalStorageEnabled, true);
  view_ = new QWebView(window);
  view_->setUrl(QUrl(QStringLiteral("about:blank")));
  // Parented to the view so that it goes with it.
  if (debug_) consoleSources_ = std::make_unique<ConsoleSources>();
  page_ = new WebKitPage(hooks, consoleSources_.get(), view_);
  native_ = new NativeCall(channel_, page_->mainFrame());
  installScript_ = script_.installScript(native_->nativeCall());
  enableSettings();
  view_->setPage(page_);
  allowContextMenu(debug_);  // "Inspect Element" when debugging
  if (debug_) {
    page_->settings()->setAttribute(QWebSettings::DeveloperExtrasEnabled, true);
    // Set on the page before anything asks for it, so that the context menu
    // opens this inspector too rather than one of its own.
    inspector_ = new QWebInspector(window);
    adoptDeveloperTools(inspector_);
    inspector_->setPage(page_);
  }
  handlers_ = std::make_unique<QObject>();
  QObject::connect(page_->mainFrame(), &QWebFrame::javaScriptWindowObjectCleared, handlers_.get(),
                   [this] { installPageScript(); });
  QObject::connect(page_->mainFrame(), &QWebFrame::urlChanged, handlers_.get(),
                   [this](const QUrl& url) { addressChanged(url); });
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
  applyPageSettings(settings);
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

void WebKitView::installPageScript() {
  QWebFrame* frame = page_->mainFrame();
  frame->addToJavaScriptWindowObject(native_->name(), native_);
  frame->evaluateJavaScript(installScript_);
}

void WebKitView::runScript(const QString& script, std::function<void(const QVariant&)> done) {
  done(page_->mainFrame()->evaluateJavaScript(script));
}

QUrl WebKitView::address() const { return page_->mainFrame()->url(); }

void WebKitView::toHtml(std::function<void(const QString& html)> done) {
  done(page_->mainFrame()->toHtml());
}

void WebKitView::print(QPrinter* printer) { page_->mainFrame()->print(printer); }

QVariant WebKitView::evaluate(const QString& script) {
  return page_->mainFrame()->evaluateJavaScript(script);
}

}  // namespace app
