// The Qt WebEngine engine: a QWebEngineView whose page answers the native
// prompt() calls (channel.h) and logs console messages and alerts.
#pragma once

#include <QWebEnginePage>

#include <memory>
#include <optional>
#include <string>

#include "app/page_storage.h"
#include "app/web_view.h"
#include "app/webengine/answer_scheme.h"
#include "app/webengine/channel.h"
#include "app/webengine/print_copy.h"

class QWebEngineProfile;
class QWebEngineView;

namespace app::webengine {

class WebEngineView;

class WebEnginePage : public QWebEnginePage {
  Q_OBJECT

 public:
  // `sources` (or null) places console lines of bundled scripts.
  WebEnginePage(WebEngineView& view, PageHooks& hooks, const Channel& channel,
                ConsoleSources* sources, QWebEngineProfile* profile, QObject* parent);

 protected:
  bool javaScriptPrompt(const QUrl& securityOrigin, const QString& msg, const QString& defaultValue,
                        QString* result) override;
  void javaScriptAlert(const QUrl& securityOrigin, const QString& msg) override;
  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                int lineNumber, const QString& sourceID) override;

 private:
  WebEngineView& view_;
  PageHooks& hooks_;
  const Channel& channel_;
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
  friend class WebEnginePage;

  // A command that draws the page, waiting for the page's copy.
  struct DrawingCommand {
    std::string request;
    QUrl origin;
  };

  // Answers the channel's `call` with `text` from a document of `origin`;
  // nothing is the page's null.
  std::optional<QString> answerCall(ChannelCall call, const QUrl& origin, const QString& text);
  // `answer` as the prompt()'s answer: a large one is fetched.
  std::optional<QString> promptAnswer(std::optional<std::string> answer);
  // Runs `command` with the page's `copy` to print from, once the page waits
  // for the answer of `token`.
  void runDrawingCommand(const DrawingCommand& command, const std::string& copy,
                         const QString& token);

  Channel prompts_;
  AnswerScheme answers_;
  std::optional<DrawingCommand> awaitingCopy_;
  std::unique_ptr<PrintCopy> printCopy_;  // while a command that draws the page runs
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
