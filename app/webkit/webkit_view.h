// The QtWebKit engine: a QWebView whose page publishes a PageObject into each
// local document of the main frame as its window object is cleared, logs
// console messages and alerts, and runs callback scripts one evaluation each.
#pragma once

#include <QWebPage>

#include "app/page_storage.h"
#include "app/web_view.h"

class QWebInspector;
class QWebView;

namespace app {

class PageObject;

class WebKitPage : public QWebPage {
  Q_OBJECT

 public:
  WebKitPage(PageHooks& hooks, QObject* parent);

 protected:
  void javaScriptConsoleMessage(const QString& message, int lineNumber,
                                const QString& sourceID) override;
  void javaScriptAlert(QWebFrame* frame, const QString& msg) override;

 private:
  PageHooks& hooks_;
};

class WebKitView : public WebView {
 public:
  WebKitView(PageHooks& hooks, QWidget* window, bool debug);
  ~WebKitView() override;

  QWidget* widget() override;
  void load(const QUrl& url) override;
  void clearCachesAndLoad(const QUrl& url) override;
  void toHtml(std::function<void(const QString& html)> done) override;
  void print(QPrinter* printer) override;
  void showDeveloperTools() override;
  QVariant evaluate(const QString& script) override;

  // One evaluation each.
  void deliverRecords(const std::vector<bridge::PageRecord>& records) override;
  // A callback may open a dialog whose loop delivers the next ones.
  std::size_t recordsPerCall() const override { return 1; }

 private:
  void publishObject();
  void enableSettings();

  bool debug_;
  PageStorage storage_;
  // The context of this view's own signal handlers: gone before the widgets,
  // so that nothing a widget signals as it goes reaches this view.
  std::unique_ptr<QObject> handlers_;
  QWebView* view_;
  WebKitPage* page_;
  PageObject* object_;
  QWebInspector* inspector_ = nullptr;  // with debug only; a child window
  bool localDocument_ = false;
};

}  // namespace app
