#include "app/webengine/webengine_view.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QPrinter>
#include <QTimer>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <chrono>
#include <string>
#include <utility>

#include "app/page_hooks.h"
#include "app/page_log.h"
#include "app/page_settings.h"
#include "app/webengine/wait_for.h"
#include "bridge/command_table.h"
#include "bridge/utf8_text.h"
#include "platform/file_size_limit.h"
#include "platform/process.h"

namespace app {

const char* engineName() { return "webengine"; }

std::string prepareEngine() {
  // Timers and callbacks must keep running while the window is minimised or
  // hidden, as they do in a desktop program.
  QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
  flags +=
      " --disable-background-timer-throttling --disable-renderer-backgrounding"
      " --disable-backgrounding-occluded-windows";
  qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  // The engine's frames live in shared memory files larger than a small
  // file size limit lets through; the files pages write keep the limit.
  platform::liftFileSizeLimit();
  webengine::AnswerScheme::registerScheme();
  // Chromium refuses to start its sandbox for the superuser; an ordinary
  // user keeps it.
  if (!platform::runningAsSuperuser()) return std::string();
  qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  return "Chromium sandbox off: the shell runs as root";
}

std::unique_ptr<WebView> createWebView(PageHooks& hooks, QWidget* window, bool debug,
                                       LocalDocuments localDocuments) {
  return std::make_unique<webengine::WebEngineView>(hooks, window, debug, localDocuments);
}

namespace webengine {
namespace {

std::string terminationText(QWebEnginePage::RenderProcessTerminationStatus status, int exitCode) {
  const char* how = "ended";
  switch (status) {
    case QWebEnginePage::NormalTerminationStatus: break;
    case QWebEnginePage::AbnormalTerminationStatus: how = "ended abnormally"; break;
    case QWebEnginePage::CrashedTerminationStatus: how = "crashed"; break;
    case QWebEnginePage::KilledTerminationStatus: how = "was killed"; break;
  }
  return std::string("renderer process ") + how + " [exit code " + std::to_string(exitCode) + "]";
}

// The profile that keeps what pages store in `folder`. A named profile
// writes its preferences into the user's data folder as it is made, before
// it can be told where its data goes; for that moment the data folder is
// one inside `folder`, so nothing of the app lands in the user's home.
QWebEngineProfile* makeProfile(const QString& folder, QObject* parent) {
  const char* const kDataHome = "XDG_DATA_HOME";
  const bool wasSet = qEnvironmentVariableIsSet(kDataHome);
  const QByteArray was = qgetenv(kDataHome);
  qputenv(kDataHome, QFile::encodeName(folder + QStringLiteral("/engine")));
  auto* profile = new QWebEngineProfile(QStringLiteral("pageshell"), parent);
  if (wasSet) {
    qputenv(kDataHome, was);
  } else {
    qunsetenv(kDataHome);
  }
  profile->setPersistentStoragePath(folder);
  return profile;
}

}  // namespace

WebEnginePage::WebEnginePage(WebEngineView& view, PageHooks& hooks, const Channel& channel,
                             ConsoleSources* sources, QWebEngineProfile* profile, QObject* parent)
    : QWebEnginePage(profile, parent),
      view_(view),
      hooks_(hooks),
      channel_(channel),
      sources_(sources) {}

bool WebEnginePage::javaScriptPrompt(const QUrl& securityOrigin, const QString& msg,
                                     const QString& defaultValue, QString* result) {
  const std::optional<ChannelCall> call = channel_.callOf(msg);
  if (!call) return QWebEnginePage::javaScriptPrompt(securityOrigin, msg, defaultValue, result);
  const std::optional<QString> answer = view_.answerCall(*call, securityOrigin, defaultValue);
  if (!answer) return false;
  *result = *answer;
  return true;
}

void WebEnginePage::javaScriptAlert(const QUrl&, const QString& msg) { hooks_.log(alertLine(msg)); }

void WebEnginePage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message,
                                             int lineNumber, const QString& sourceID) {
  // The engine's own lines about a blocked call quote the call's marker.
  hooks_.log(consoleLine(channel_.withoutMarker(message), lineNumber, sourceID,
                         sources_ ? sources_->originalOf(sourceID, lineNumber) : std::string()));
}

WebEngineView::WebEngineView(PageHooks& hooks, QWidget* window, bool debug,
                             LocalDocuments localDocuments)
    : WebView(hooks, localDocuments), storage_(hooks) {
  profile_ = makeProfile(storage_.folder(), window);
  profile_->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);

  view_ = new QWebEngineView(window);
  if (debug) consoleSources_ = std::make_unique<ConsoleSources>();
  profile_->installUrlSchemeHandler(AnswerScheme::kName, &answers_);
  page_ = new WebEnginePage(*this, hooks, prompts_, consoleSources_.get(), profile_, view_);
  QWebEngineScript install;
  install.setName(QStringLiteral("pageshell"));
  install.setInjectionPoint(QWebEngineScript::DocumentCreation);
  install.setWorldId(QWebEngineScript::MainWorld);
  install.setRunsOnSubFrames(false);
  install.setSourceCode(script_.installScript(prompts_.nativeCall()));
  page_->scripts().insert(install);

  applyPageSettings(page_->settings());
  view_->setPage(page_);
  allowContextMenu(debug);
  if (debug) {
    developerTools_ = new QWebEngineView(window);
    adoptDeveloperTools(developerTools_);
    page_->setDevToolsPage(developerTools_->page());
  }
  handlers_ = std::make_unique<QObject>();
  QObject::connect(page_, &QWebEnginePage::loadStarted, handlers_.get(), [this] { loadStarted(); });
  QObject::connect(page_, &QWebEnginePage::loadFinished, handlers_.get(), [this] { loadEnded(); });
  QObject::connect(page_, &QWebEnginePage::urlChanged, handlers_.get(),
                   [this](const QUrl& url) { addressChanged(url); });
  QObject::connect(page_, &QWebEnginePage::renderProcessTerminated, handlers_.get(),
                   [this](QWebEnginePage::RenderProcessTerminationStatus status, int exitCode) {
                     documentLost(terminationText(status, exitCode));
                   });
}

WebEngineView::~WebEngineView() {
  *going_ = true;
  handlers_.reset();
  // The pages go before their profile, as WebEngine requires.
  delete view_;
  delete developerTools_;
  delete profile_;
}

QWidget* WebEngineView::widget() { return view_; }

void WebEngineView::load(const QUrl& url) { page_->load(url); }

void WebEngineView::clearCachesAndLoad(const QUrl& url) {
  profile_->clearHttpCache();
  page_->load(url);
}

void WebEngineView::runScript(const QString& script,
                              std::function<void(const QVariant&)> done) {
  QPointer<WebEnginePage> page(page_);
  page_->runJavaScript(script, QWebEngineScript::MainWorld,
                       [page, going = going_, done = std::move(done)](const QVariant& value) {
                         if (!page.isNull() && !*going) done(value);
                       });
}

QUrl WebEngineView::address() const { return page_->url(); }

void WebEngineView::toHtml(std::function<void(const QString& html)> done) {
  page_->toHtml([done = std::move(done)](const QString& html) { done(html); });
}

void WebEngineView::print(QPrinter* printer) {
  if (printCopy_ && printCopy_->print(printer)) return;
  if (channel_.inCommand()) {
    // The page's script waits for the command that asks, and gave no copy
    // of itself: the preview shows the page as it was last drawn, fitted to
    // the paper's width.
    const QPixmap shown = view_->grab();
    QPainter painter(printer);
    const QRect paper = painter.viewport();
    const QSize fitted = shown.size().scaled(paper.width(), paper.height(), Qt::KeepAspectRatio);
    painter.drawPixmap(QRect(paper.topLeft(), fitted), shown);
    return;
  }
  waitFor<bool>([this, printer](std::function<void(const bool&)> finished) {
    QObject::connect(
        view_, &QWebEngineView::printFinished, view_, [finished](bool ok) { finished(ok); },
        Qt::SingleShotConnection);
    view_->print(printer);
  });
}

std::optional<QString> WebEngineView::answerCall(ChannelCall call, const QUrl& origin,
                                                 const QString& text) {
  switch (call) {
    case ChannelCall::Command: {
      const QByteArray request = bridge::utf8Bytes(text);
      const std::string_view bytes(request.constData(), static_cast<std::size_t>(request.size()));
      if (bridge::drawsThePage(bytes) && channel_.localDocuments().contains(origin)) {
        awaitingCopy_ = DrawingCommand{std::string(bytes), origin};
        return prompts_.copyWanted();
      }
      return promptAnswer(channel_.answer(PageCall::Command, origin, page_->url(), bytes));
    }
    case ChannelCall::PageCopy: {
      if (!awaitingCopy_) return std::nullopt;
      const DrawingCommand command = std::move(*awaitingCopy_);
      awaitingCopy_.reset();
      if (text.isEmpty()) {
        return promptAnswer(
            channel_.answer(PageCall::Command, command.origin, page_->url(), command.request));
      }
      // The engine lays nothing out while this handler runs: the command
      // runs once the page waits in its fetch, from a task of our own.
      const QString token = answers_.expect();
      QTimer::singleShot(0, handlers_.get(), [this, command, copy = bridge::toUtf8(text), token] {
        runDrawingCommand(command, copy, token);
      });
      return prompts_.fetchAnswer(token);
    }
    case ChannelCall::TakeAnswer: {
      const std::optional<std::string> answer = answers_.take(text);
      if (!answer) return std::nullopt;
      return bridge::fromUtf8(*answer);
    }
    case ChannelCall::DocumentCreated:
    case ChannelCall::DeleteLater: break;
  }
  const QByteArray bytes = bridge::utf8Bytes(text);
  return promptAnswer(channel_.answer(static_cast<PageCall>(call), origin, page_->url(),
                                      std::string_view(bytes.constData(), bytes.size())));
}

std::optional<QString> WebEngineView::promptAnswer(std::optional<std::string> answer) {
  // A fetch costs a few milliseconds more to start than a prompt() answer
  // and carries text a fifth faster: below about this size it is no faster.
  constexpr std::size_t kFetchedFrom = std::size_t{2} << 20;
  if (!answer) return std::nullopt;
  if (answer->size() >= kFetchedFrom) {
    return prompts_.fetchAnswer(answers_.keep(std::move(*answer)));
  }
  return bridge::fromUtf8(*answer);
}

void WebEngineView::runDrawingCommand(const DrawingCommand& command, const std::string& copy,
                                      const QString& token) {
  printCopy_ = std::make_unique<PrintCopy>(copy);
  std::optional<std::string> answer =
      channel_.answer(PageCall::Command, command.origin, page_->url(), command.request);
  printCopy_.reset();
  answers_.fulfil(token, std::move(answer));
}

QVariant WebEngineView::evaluate(const QString& script) {
  return waitFor<QVariant>([this, &script](std::function<void(const QVariant&)> finished) {
    page_->runJavaScript(script, QWebEngineScript::MainWorld, finished);
  });
}

}  // namespace webengine
}  // namespace app
