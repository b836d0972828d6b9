// The log lines of what page script says: console messages and alerts.
// Script goes on; no dialog is shown for an alert. Each is one log line:
// line breaks in it are written as \r, \n, \u2028, \u2029 and \u0085.
#pragma once

#include <QString>

#include <string>

namespace app {

// "Message from <source>#<line>: <time>: <message>", then `original` (where
// a source map places the line, console_sources.h).
std::string consoleLine(const QString& message, int lineNumber, const QString& sourceID,
                        const std::string& original = std::string());

// "Alert: <time>: <message>"
std::string alertLine(const QString& message);

}  // namespace app
