// Pages and windows in Qt-side tests, on whichever engine the build has:
// waiting for a page and its script, the script that sends commands as the
// client library does, and a view of the engine's own with hooks a test
// can watch. Programs that use it need a support::QtApplication.
#pragma once

#include <QString>
#include <QVariant>

#include <chrono>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/page_hooks.h"
#include "app/web_view.h"
#include "bridge/cmd_state.h"
#include "tests/support/scratch.h"

namespace support {

// A <script> element that defines `call(command, argument...)`: it sends the
// request through myObject and returns the answer's text.
QString callScriptElement();

// A page that can call the shell (callScriptElement) and keeps every callback
// record it gets in `records`, as JSON text; `body` comes before its script.
std::string recordingPage(const QString& body = QString());

// Waits until the view's main frame has finished loading; false on timeout.
bool waitForLoad(app::WebView& view, std::chrono::milliseconds limit = std::chrono::seconds(20));

// Evaluates `script` in the view's main frame.
QVariant evaluate(app::WebView& view, const QString& script);

// Processes events until evaluate(view, condition) is true; false on timeout.
bool waitForScript(app::WebView& view, const QString& condition,
                   std::chrono::milliseconds limit = std::chrono::seconds(20));

// Processes events for `duration`: for checks that something does not happen.
void processEventsFor(std::chrono::milliseconds duration);

// Hooks that run commands through a CmdState of their own, keep the log lines
// and documents they are told of, and call `onLog` and `onDocument` (when
// set) on each line and each new document.
class RecordingHooks : public app::PageHooks {
 public:
  std::string runCommand(std::string_view request) override;
  void requestDeletion() override { ++deletionsRequested; }
  void documentCreated(const QUrl& url, bool local) override;
  void addressChanged(const QUrl&) override {}
  void pageLost(const std::string& reason) override { log("Page lost: " + reason); }
  void log(const std::string& line) override;

  std::function<void(const std::string& line)> onLog;
  std::function<void(const QUrl& url)> onDocument;
  std::vector<std::string> lines;
  std::vector<std::string> documents;  // "local <url>" or "remote <url>"
  int deletionsRequested = 0;
  bridge::CmdState state;
  bridge::Page* page = nullptr;  // where commands' records go
};

// The build's engine view on a page written into a scratch folder as
// index.html (the folder is the working directory while it lives), opened for
// callbacks and loaded.
class TestView {
 public:
  explicit TestView(const std::string& html);
  ~TestView();

  app::WebView& view() { return *view_; }
  RecordingHooks& hooks() { return hooks_; }
  const PageFolder& folder() const { return folder_; }

 private:
  PageFolder folder_;
  RecordingHooks hooks_;
  std::unique_ptr<app::WebView> view_;
};

}  // namespace support

// Shows Qt texts readably in GoogleTest's failure messages.
void PrintTo(const QString& text, std::ostream* out);
