#include "tests/support/qt_page.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>

#include "bridge/callback.h"
#include "bridge/protocol/protocol.h"
#include "bridge/utf8_text.h"

namespace support {

QString callScriptElement() {
  return QStringLiteral(
             "<script>function call() {"
             "  var request = ['%1', 'test'].concat([].slice.call(arguments));"
             "  myObject.command = JSON.stringify(request);"
             "  return myObject.result;"
             "}</script>")
      .arg(QLatin1String(bridge::kProtocolVersion));
}

std::string recordingPage(const QString& body) {
  return (QStringLiteral("<html><head>") + callScriptElement() + QStringLiteral("</head><body>") +
          body +
          QStringLiteral("<script>"
                         "var records = [];"
                         "function WebBrowserUtil_callback(r) { records.push(JSON.stringify(r)); }"
                         "</script></body></html>"))
      .toStdString();
}

namespace {

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > limit.count()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

}  // namespace

bool waitForLoad(app::WebView& view, std::chrono::milliseconds limit) {
  // A load that has not started yet must not count as finished.
  processEventsFor(std::chrono::milliseconds(20));
  return waitUntil([&view] { return view.loadFinished(); }, limit);
}

QVariant evaluate(app::WebView& view, const QString& script) { return view.evaluate(script); }

bool waitForScript(app::WebView& view, const QString& condition, std::chrono::milliseconds limit) {
  return waitUntil([&] { return evaluate(view, condition).toBool(); }, limit);
}

void processEventsFor(std::chrono::milliseconds duration) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < duration.count()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
}

std::string RecordingHooks::runCommand(std::string_view request) {
  return state.runRequest(nullptr, page, request);
}

void RecordingHooks::documentCreated(const QUrl& url, bool local) {
  documents.push_back((local ? "local " : "remote ") + url.toString().toStdString());
  if (onDocument) onDocument(url);
}

void RecordingHooks::log(const std::string& line) {
  lines.push_back(line);
  if (onLog) onLog(line);
}

TestView::TestView(const std::string& html) : folder_(html) {
  view_ = app::createWebView(hooks_, nullptr, false);
  hooks_.page = view_.get();
  bridge::acceptCallbacksFor(view_.get());
  view_->load(QUrl::fromLocalFile(QDir::currentPath() + QStringLiteral("/index.html")));
  waitForLoad(*view_);
}

TestView::~TestView() { bridge::refuseCallbacksFor(view_.get()); }

}  // namespace support

void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
