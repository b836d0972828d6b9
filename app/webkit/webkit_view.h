// The QtWebKit engine: a QWebView whose page logs console messages and
// alerts, and which installs the page script (page_script.h) in each new
// document of the main frame as its window object is cleared, over a
// NativeCall (native_call.h).
#pragma once

#include <QWebPage>

#include "app/page_storage.h"
#include "app/web_view.h"

class QWebInspector;
class QWebView;

namespace app {

class NativeCall;

class WebKitPage : public QWebPage {
  Q_OBJECT

 public:
  // `sources` (or null) places console lines of bundled scripts.
  WebKitPage(PageHooks& hooks, ConsoleSources* sources, QObject* parent);

 protected:
  void javaScriptConsoleMessage(const QString& message, int lineNumber,
                                const QString& sourceID) override;
  void javaScriptAlert(QWebFrame* frame, const QString& msg) override;

 private:
  PageHooks& hooks_;
  ConsoleSources* sources_;
};

class WebKitView : public WebView {
 public:
  WebKitView(PageHooks& hooks, QWidget* window, bool debug, LocalDocuments localDocuments);
  ~WebKitView() override;

  QWidget* widget() override;
  void load(const QUrl& url) override;
  void clearCachesAndLoad(const QUrl& url) override;
  void toHtml(std::function<void(const QString& html)> done) override;
  void print(QPrinter* printer) override;
  QVariant evaluate(const QString& script) override;

 protected:
  // Runs at once: `done` is called before this returns.
  void runScript(const QString& script, std::function<void(const QVariant&)> done) override;
  QUrl address() const override;

 private:
  void installPageScript();
  void enableSettings();

  bool debug_;
  PageStorage storage_;
  // The context of this view's own signal handlers: gone before the widgets,
  // so that nothing a widget signals as it goes reaches this view.
  std::unique_ptr<QObject> handlers_;
  QWebView* view_;
  WebKitPage* page_;
  NativeCall* native_;
  QString installScript_;
  QWebInspector* inspector_ = nullptr;  // with debug only; a child window
};

}  // namespace app
