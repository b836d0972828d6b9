// The Qt WebEngine engine: a QWebEngineView whose page answers the native
// prompt() calls (channel.h) and logs console messages and alerts.
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
  // `sources` (or null) places console lines of bundled scripts.
  WebEnginePage(PageHooks& hooks, const Channel& channel, PageChannel& pageChannel,
                ConsoleSources* sources, QWebEngineProfile* profile, QObject* parent);

  // True while a command from the page runs: its script waits for the
  // answer, and its renderer does nothing else meanwhile.
  bool inChannelCall() const { return pageChannel_.inCommand(); }

 protected:
  bool javaScriptPrompt(const QUrl& securityOrigin, const QString& msg, const QString& defaultValue,
                        QString* result) override;
  void javaScriptAlert(const QUrl& securityOrigin, const QString& msg) override;
  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                int lineNumber, const QString& sourceID) override;

 private:
  PageHooks& hooks_;
  const Channel& channel_;
  PageChannel& pageChannel_;
  ConsoleSources* sources_;
};

class WebEngineView : public WebView {
 public:
  WebEngineView(PageHooks& hooks, QWidget* window, bool debug, LocalDocuments localDocuments);
  ~WebEngineView() override;

  QWidget* widget() override;
  void load(const QUrl& url) override;
  void clearCachesAndLoad(const QUrl& url) override;
  void toHtml(std::function<void(const QString& html)> done) override;
  void print(QPrinter* printer) override;
  QVariant evaluate(const QString& script) override;

 protected:
  void runScript(const QString& script, std::function<void(const QVariant&)> done) override;
  QUrl address() const override;

 private:
  Channel prompts_;
  PageStorage storage_;
  // The context of this view's own signal handlers: gone before the widgets.
  std::unique_ptr<QObject> handlers_;
  QWebEngineProfile* profile_;
  QWebEngineView* view_;
  WebEnginePage* page_;
  QWebEngineView* developerTools_ = nullptr;  // with debug only; a child window
  // Set as the view goes: the page's teardown then answers every script
  // still waiting without a value, though it may well have run.
  std::shared_ptr<bool> going_ = std::make_shared<bool>(false);
};

}  // namespace app::webengine
