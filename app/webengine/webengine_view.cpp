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
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/local_document.h"
#include "app/page_hooks.h"
#include "app/page_log.h"
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
  // Chromium refuses to start its sandbox for the superuser; an ordinary
  // user keeps it.
  if (!platform::runningAsSuperuser()) return std::string();
  qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  return "Chromium sandbox off: the shell runs as root";
}

std::unique_ptr<WebView> createWebView(PageHooks& hooks, QWidget* window, bool debug) {
  return std::make_unique<webengine::WebEngineView>(hooks, window, debug);
}

namespace webengine {
namespace {

std::string urlText(const QUrl& url) { return url.toString().toUtf8().toStdString(); }

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

// `ids` each once, in order: for a line about the loss of their records.
std::string identifierList(const std::vector<std::string>& ids) {
  std::set<std::string> seen;
  std::string text;
  for (const std::string& id : ids) {
    if (!seen.insert(id).second) continue;
    text += (seen.size() == 1 ? "" : ", ") + id;
  }
  return text;
}

// Waits in a loop of its own until the function `run` is given is called,
// for at most `limit` (a renderer that never answers must not hang the
// shell); gives the value it was called with, or an empty one.
template <class Value>
Value waitFor(const std::function<void(std::function<void(const Value&)>)>& run,
              std::chrono::milliseconds limit = std::chrono::seconds(30)) {
  struct Wait {
    QEventLoop loop;
    Value value{};
    bool finished = false;
  };
  // Shared with the callback, which may come after the wait has given up.
  auto wait = std::make_shared<Wait>();
  run([wait](const Value& result) {
    wait->value = result;
    wait->finished = true;
    wait->loop.quit();
  });
  if (!wait->finished) {
    QTimer::singleShot(limit, &wait->loop, &QEventLoop::quit);
    wait->loop.exec(QEventLoop::ExcludeUserInputEvents);
  }
  return wait->value;
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

WebEnginePage::WebEnginePage(PageHooks& hooks, const Channel& channel, QWebEngineProfile* profile,
                             QObject* parent)
    : QWebEnginePage(profile, parent), hooks_(hooks), channel_(channel) {}

bool WebEnginePage::javaScriptPrompt(const QUrl& securityOrigin, const QString& msg,
                                     const QString& defaultValue, QString* result) {
  const std::optional<ChannelCall> call = channel_.callOf(msg);
  if (!call) return QWebEnginePage::javaScriptPrompt(securityOrigin, msg, defaultValue, result);
  const bool local = isLocalDocument(securityOrigin);
  if (*call == ChannelCall::DocumentCreated) {
    localDocument_ = local;
    // The address asked for: an error page's own says nothing of it.
    hooks_.documentCreated(url().isEmpty() ? QUrl(defaultValue) : url(), local);
    return false;
  }
  if (!local) {
    // A data: document's origin is opaque: the page's address says more.
    const QUrl from = securityOrigin.isEmpty() ? url() : securityOrigin;
    hooks_.log("Request refused from a non-local document [" + urlText(from) + "]");
    return false;
  }
  if (*call == ChannelCall::DeleteLater) {
    hooks_.requestDeletion();
    return false;
  }
  ++channelCalls_;
  *result = hooks_.runCommand(defaultValue);
  --channelCalls_;
  return true;
}

void WebEnginePage::javaScriptAlert(const QUrl&, const QString& msg) { hooks_.log(alertLine(msg)); }

void WebEnginePage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message,
                                             int lineNumber, const QString& sourceID) {
  // The engine's own lines about a blocked call quote the call's marker.
  hooks_.log(consoleLine(channel_.withoutMarker(message), lineNumber, sourceID));
}

WebEngineView::WebEngineView(PageHooks& hooks, QWidget* window, bool debug)
    : WebView(hooks), debug_(debug), storage_(hooks) {
  profile_ = makeProfile(storage_.folder(), window);
  profile_->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);

  view_ = new QWebEngineView(window);
  page_ = new WebEnginePage(hooks, channel_, profile_, view_);
  QWebEngineScript install;
  install.setName(QStringLiteral("pageshell"));
  install.setInjectionPoint(QWebEngineScript::DocumentCreation);
  install.setWorldId(QWebEngineScript::MainWorld);
  install.setRunsOnSubFrames(false);
  install.setSourceCode(channel_.installScript());
  page_->scripts().insert(install);

  QWebEngineSettings* settings = page_->settings();
  settings->setAttribute(QWebEngineSettings::PluginsEnabled, true);
  settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
  settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
  settings->setAttribute(QWebEngineSettings::LocalStorageEnabled, true);
  view_->setPage(page_);
  view_->setContextMenuPolicy(debug_ ? Qt::DefaultContextMenu : Qt::PreventContextMenu);
  if (debug_) {
    developerTools_ = new QWebEngineView(window);
    developerTools_->setObjectName(QStringLiteral("webInspector"));
    developerTools_->setWindowFlags(Qt::Window);
    developerTools_->setWindowTitle(QStringLiteral("Web Inspector"));
    developerTools_->resize(1000, 640);
    page_->setDevToolsPage(developerTools_->page());
  }
  handlers_ = std::make_unique<QObject>();
  QObject::connect(page_, &QWebEnginePage::loadStarted, handlers_.get(), [this] { loadStarted(); });
  QObject::connect(page_, &QWebEnginePage::loadFinished, handlers_.get(), [this] { loadEnded(); });
  // A document that runs no script (a sandboxed one, say) announces nothing:
  // the engine's address says where the main frame is.
  QObject::connect(page_, &QWebEnginePage::urlChanged, handlers_.get(), [this](const QUrl& url) {
    if (!isLocalDocument(url)) page_->leaveDocument();
    hooks_.addressChanged(url);
  });
  QObject::connect(page_, &QWebEnginePage::renderProcessTerminated, handlers_.get(),
                   [this](QWebEnginePage::RenderProcessTerminationStatus status, int exitCode) {
                     page_->leaveDocument();
                     documentLost(terminationText(status, exitCode));
                   });
}

WebEngineView::~WebEngineView() {
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

void WebEngineView::deliverRecords(const std::vector<bridge::PageRecord>& records) {
  if (!page_->localDocument()) {
    hooks_.log("Callback not delivered to a non-local document [" + urlText(page_->url()) + "]");
    return;
  }
  std::vector<QString> texts;
  std::vector<std::string> ids;
  texts.reserve(records.size());
  ids.reserve(records.size());
  for (const bridge::PageRecord& record : records) {
    texts.push_back(record.text);
    ids.push_back(record.id);
  }
  // The document may change before the batch reaches it: the batch looks
  // again where it runs, and says false in a document that is not local.
  // No value at all is a batch that never ran.
  QPointer<WebEnginePage> page(page_);
  PageHooks* hooks = &hooks_;
  page_->runJavaScript(
      Channel::deliveryScript(texts), QWebEngineScript::MainWorld,
      [page, hooks, ids = std::move(ids)](const QVariant& ran) {
        if (page.isNull() || ran.toBool()) return;
        if (ran.isValid()) {
          hooks->log("Callback not delivered to a non-local document [" + urlText(page->url()) +
                     "]");
          return;
        }
        hooks->log("Callback not delivered [" + identifierList(ids) +
                   "]: the document went, or its renderer ended, before the records ran in it");
      });
}

void WebEngineView::toHtml(std::function<void(const QString& html)> done) {
  page_->toHtml([done = std::move(done)](const QString& html) { done(html); });
}

void WebEngineView::print(QPrinter* printer) {
  if (page_->inChannelCall()) {
    // The page's script waits for the command that asks, so its renderer
    // cannot lay the page out for print: the preview shows the page as it
    // was last drawn, fitted to the paper's width.
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

void WebEngineView::showDeveloperTools() {
  if (developerTools_ == nullptr) return;
  developerTools_->show();
  developerTools_->raise();
  developerTools_->activateWindow();
}

QVariant WebEngineView::evaluate(const QString& script) {
  return waitFor<QVariant>([this, &script](std::function<void(const QVariant&)> finished) {
    page_->runJavaScript(script, QWebEngineScript::MainWorld, finished);
  });
}

}  // namespace webengine
}  // namespace app
