#include "app/page_log.h"

#include <QTime>

#include "bridge/utf8_text.h"

namespace app {
namespace {

QString now() { return QTime::currentTime().toString(Qt::TextDate); }

// The line as one log line whatever the page put in it: a line break would
// let any page, a remote one too, write lines of its own into the log.
std::string oneLogLine(QString line) {
  line.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
  line.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
  line.replace(QChar(0x2028), QStringLiteral("\\u2028"));
  line.replace(QChar(0x2029), QStringLiteral("\\u2029"));
  line.replace(QChar(0x0085), QStringLiteral("\\u0085"));
  return bridge::toUtf8(line);
}

}  // namespace

std::string consoleLine(const QString& message, int lineNumber, const QString& sourceID,
                        const std::string& original) {
  const QString line = QStringLiteral("Message from ") + sourceID + QLatin1Char('#') +
                       QString::number(lineNumber) + QStringLiteral(": ") + now() +
                       QStringLiteral(": ") + message + QString::fromStdString(original);
  return oneLogLine(line);
}

std::string alertLine(const QString& message) {
  return oneLogLine(QStringLiteral("Alert: ") + now() + QStringLiteral(": ") + message);
}

}  // namespace app
