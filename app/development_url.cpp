#include "app/development_url.h"

#include <QHostAddress>

namespace app {
namespace {

// 127.0.0.0/8, ::1 and localhost: nothing another machine can serve.
bool onThisMachine(const QString& host) {
  if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0) return true;
  const QHostAddress address(host);
  return !address.isNull() && address.isLoopback();
}

DevelopmentUrl refused(const QString& text, const char* why) {
  return {QUrl(), "-dev-url " + text.toStdString() + " refused: " + why};
}

}  // namespace

DevelopmentUrl readDevelopmentUrl(const QString& text, bool debug) {
  if (!debug) return refused(text, "it is for development runs only, with -debug");
  const QUrl url(text, QUrl::StrictMode);
  if (!url.isValid() || (url.scheme() != QLatin1String("http") &&
                         url.scheme() != QLatin1String("https"))) {
    return refused(text, "not an http or https address");
  }
  if (!onThisMachine(url.host())) {
    return refused(text, "its host is not this machine (127.0.0.0/8, ::1 or localhost)");
  }
  return {url, "Development page " + url.toString().toStdString() +
                   ": its origin gets myObject and records"};
}

}  // namespace app
