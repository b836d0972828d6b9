// WebView: the web engine behind the window, one implementation per engine
// (app/webkit/, app/webengine/); createWebView() makes the one this build
// has. The window, the debug menu, the splash and the exit listener are
// written once against this interface; the bridge sees the same object as a
// bridge::Page.
//
// Every local document of the main frame (local_document.h) gets `myObject`
// before its first script runs: `command`, `result` and `deleteLater()`,
// nothing else. Remote documents and subframes never get it, and a request
// that does not come from a local document is refused and logged. The page
// side is one script for both engines (page_script.h) over each engine's one
// native call, answered the same way (page_channel.h).
//
// The rules both engines share live here, fed by each engine's own signals:
// records for the page wait while its main frame loads a document (whose
// scripts, WebBrowserUtil_callback among them, may not have run yet) and go
// in order once it has loaded, in batches of one script each; the window
// hears of every address the main frame moves to, whether or not its
// document runs script; the developer tools are one window, named
// "webInspector", made only when debugging.
//
// GUI thread only.
#pragma once

#include <QString>
#include <QUrl>
#include <QVariant>

#include <functional>
#include <memory>
#include <string>

#include "app/console_sources.h"
#include "app/page_channel.h"
#include "app/page_script.h"
#include "bridge/page.h"

class QPrinter;
class QWidget;

namespace app {

class PageHooks;

class WebView : public bridge::Page {
 public:
  WebView(PageHooks& hooks, LocalDocuments localDocuments)
      : hooks_(hooks), channel_(hooks, localDocuments) {}
  virtual ~WebView() = default;

  // The widget that shows the page; the window places it in its form.
  virtual QWidget* widget() = 0;

  virtual void load(const QUrl& url) = 0;
  // Drops the engine's memory caches and loads `url` afresh.
  virtual void clearCachesAndLoad(const QUrl& url) = 0;
  // True once the main frame has finished its latest load.
  bool loadFinished() const { return loadFinished_; }

  // Calls `done` with the HTML of the main frame's document, maybe later.
  virtual void toHtml(std::function<void(const QString& html)> done) = 0;
  // Paints the main frame's document onto `printer`; returns when painted.
  virtual void print(QPrinter* printer) = 0;
  // Shows the developer tools (made with the view when it was debugging).
  void showDeveloperTools();

  // Runs `script` in the main frame's document, whatever it is, and returns
  // its value once it has run: for tests and tools, never for page data.
  virtual QVariant evaluate(const QString& script) = 0;

  void deliverRecords(const std::vector<bridge::PageRecord>& records) override;

 protected:
  // Runs `script` in the main frame's document and calls `done` with its
  // value, maybe later; an invalid value when it did not run. Never after
  // the view has gone.
  virtual void runScript(const QString& script, std::function<void(const QVariant&)> done) = 0;
  // The main frame's address as the engine has it.
  virtual QUrl address() const = 0;

  // `tools`, the engine's developer tools, as the window they show in; the
  // page's context menu offers them only when debugging.
  void adoptDeveloperTools(QWidget* tools);
  void allowContextMenu(bool debug);

  // What the engine tells of its main frame.
  void loadStarted();
  void loadEnded();
  // The main frame has moved to `url`.
  void addressChanged(const QUrl& url);
  // The engine lost the document (its renderer process ended, for
  // `reason`): records wait for the next one.
  void documentLost(const std::string& reason);

  PageHooks& hooks_;
  PageChannel channel_;
  PageScript script_;
  // With debug only: console lines of bundled scripts name their sources.
  std::unique_ptr<ConsoleSources> consoleSources_;

 private:
  bool loadFinished_ = false;
  QWidget* toolsWindow_ = nullptr;  // the engine's developer tools, which it owns
};

// Makes this build's engine view. `window` parents the view's own windows
// (the developer tools); with `debug` the page's context menu and developer
// tools are on. `localDocuments` says which documents get myObject.
std::unique_ptr<WebView> createWebView(PageHooks& hooks, QWidget* window, bool debug,
                                       LocalDocuments localDocuments = LocalDocuments());

// Sets up what the engine needs before the application object exists.
// Returns a line for the log, or "" when there is nothing to say.
std::string prepareEngine();

// The engine this build shows pages with: "webkit" or "webengine".
const char* engineName();

}  // namespace app
