#include "tests/support/qt_page.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QWebFrame>
#include <QWebPage>

#include "bridge/protocol/protocol.h"

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

bool waitForLoad(QWebPage* page, std::chrono::milliseconds limit) {
  QSignalSpy finished(page, &QWebPage::loadFinished);
  return finished.wait(static_cast<int>(limit.count()));
}

QVariant evaluate(QWebPage* page, const QString& script) {
  return page->mainFrame()->evaluateJavaScript(script);
}

bool waitForScript(QWebPage* page, const QString& condition, std::chrono::milliseconds limit) {
  QElapsedTimer timer;
  timer.start();
  while (!evaluate(page, condition).toBool()) {
    if (timer.elapsed() > limit.count()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

void processEventsFor(std::chrono::milliseconds duration) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < duration.count()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
}

}  // namespace support

void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
