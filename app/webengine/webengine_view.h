// The Qt WebEngine engine: a QWebEngineView whose page answers the channel's
// prompt() calls (channel.h), logs console messages and alerts, and delivers
// callback scripts in batches, one runJavaScript for many.
#pragma once

#include <QWebEnginePage>

#include "app/page_storage.h"
#include "app/web_view.h"
#include "app/webengine/channel.h"

class QWebEngineProfile;
class QWebEngineView;

namespace app::webengine {

class WebEnginePage : public QWebEnginePage {
  Q_OBJECT

 public:
  WebEnginePage(PageHooks& hooks, const Channel& channel, QWebEngineProfile* profile,
                QObject* parent);

  // True while the main frame shows a local document, as its own script
  // last announced and the engine's address and renderer still say.
  bool localDocument() const { return localDocument_; }
  void leaveDocument() { localDocument_ = false; }
  // True while a command from the page runs: its script waits for the
  // answer, and its renderer does nothing else meanwhile.
  bool inChannelCall() const { return channelCalls_ > 0; }

 protected:
  bool javaScriptPrompt(const QUrl& securityOrigin, const QString& msg, const QString& defaultValue,
                        QString* result) override;
  void javaScriptAlert(const QUrl& securityOrigin, const QString& msg) override;
  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                int lineNumber, const QString& sourceID) override;

 private:
  PageHooks& hooks_;
  const Channel& channel_;
  bool localDocument_ = false;
  int channelCalls_ = 0;
};

class WebEngineView : public WebView {
 public:
  WebEngineView(PageHooks& hooks, QWidget* window, bool debug);
  ~WebEngineView() override;

  QWidget* widget() override;
  void load(const QUrl& url) override;
  void clearCachesAndLoad(const QUrl& url) override;
  void toHtml(std::function<void(const QString& html)> done) override;
  void print(QPrinter* printer) override;
  void showDeveloperTools() override;
  QVariant evaluate(const QString& script) override;

  void deliverRecords(const std::vector<bridge::PageRecord>& records) override;
  // Each script costs a trip to the renderer: the records queued go in as
  // few as the bridge's bound on a call's text allows.
  std::size_t recordsPerCall() const override { return 100000; }

 private:
  Channel channel_;
  bool debug_;
  PageStorage storage_;
  // The context of this view's own signal handlers: gone before the widgets.
  std::unique_ptr<QObject> handlers_;
  QWebEngineProfile* profile_;
  QWebEngineView* view_;
  WebEnginePage* page_;
  QWebEngineView* developerTools_ = nullptr;  // with debug only; a child window
};

}  // namespace app::webengine
