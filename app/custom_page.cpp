#include "app/custom_page.h"

#include <QTime>

namespace app {

namespace {
QString now() { return QTime::currentTime().toString(Qt::TextDate); }
}  // namespace

CustomPage::CustomPage(QObject* parent) : QWebPage(parent) {}

void CustomPage::javaScriptConsoleMessage(const QString& message, int lineNumber,
                                          const QString& sourceID) {
  const QString line = QStringLiteral("Message from ") + sourceID + QLatin1Char('#') +
                       QString::number(lineNumber) + QStringLiteral(": ") + now() +
                       QStringLiteral(": ") + message;
  logTarget_.log(line.toUtf8().toStdString());
}

void CustomPage::javaScriptAlert(QWebFrame*, const QString& msg) {
  const QString line = QStringLiteral("Alert: ") + now() + QStringLiteral(": ") + msg;
  logTarget_.log(line.toUtf8().toStdString());
}

}  // namespace app
