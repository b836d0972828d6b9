// Pages and windows in Qt-side tests: waiting for a page and its script,
// and the script that sends commands from a page as the client library does.
// Programs that use it need a support::QtApplication.
#pragma once

#include <QString>
#include <QVariant>

#include <chrono>
#include <ostream>
#include <string>

class QWebPage;

namespace support {

// A <script> element that defines `call(command, argument...)`: it sends the
// request through myObject and returns the answer's text.
QString callScriptElement();

// A page that can call the shell (callScriptElement) and keeps every callback
// record it gets in `records`, as JSON text; `body` comes before its script.
std::string recordingPage(const QString& body = QString());

// Waits until the page's main frame has finished loading; false on timeout.
bool waitForLoad(QWebPage* page, std::chrono::milliseconds limit = std::chrono::seconds(20));

// Evaluates `script` in the page's main frame.
QVariant evaluate(QWebPage* page, const QString& script);

// Processes events until evaluate(page, condition) is true; false on timeout.
bool waitForScript(QWebPage* page, const QString& condition,
                   std::chrono::milliseconds limit = std::chrono::seconds(20));

// Processes events for `duration`: for checks that something does not happen.
void processEventsFor(std::chrono::milliseconds duration);

}  // namespace support

// Shows Qt texts readably in GoogleTest's failure messages.
void PrintTo(const QString& text, std::ostream* out);
