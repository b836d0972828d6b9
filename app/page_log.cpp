#include "app/page_log.h"

#include <QTime>

#include "bridge/utf8_text.h"

namespace app {
namespace {
QString now() { return QTime::currentTime().toString(Qt::TextDate); }
}  // namespace

std::string consoleLine(const QString& message, int lineNumber, const QString& sourceID) {
  const QString line = QStringLiteral("Message from ") + sourceID + QLatin1Char('#') +
                       QString::number(lineNumber) + QStringLiteral(": ") + now() +
                       QStringLiteral(": ") + message;
  return bridge::toUtf8(line);
}

std::string alertLine(const QString& message) {
  const QString line = QStringLiteral("Alert: ") + now() + QStringLiteral(": ") + message;
  return bridge::toUtf8(line);
}

}  // namespace app
