// Which documents are the shell's own: those loaded from the local file
// system and, in a development run (-dev-url), those of the one origin the
// developer named. Only they get myObject, callback records and an exit
// listener; any other content must never reach files, programs or
// databases.
#pragma once

#include <QUrl>

namespace app {

class LocalDocuments {
 public:
  // file: documents only.
  LocalDocuments() = default;
  // file: documents and those of `developmentUrl`'s origin.
  explicit LocalDocuments(const QUrl& developmentUrl) : development_(developmentUrl) {}

  // True for an address or an origin that is the shell's own.
  bool contains(const QUrl& url) const {
    if (url.isLocalFile()) return true;
    return development_.isValid() && url.scheme() == development_.scheme() &&
           url.host() == development_.host() && port(url) == port(development_);
  }

 private:
  static int port(const QUrl& url) {
    return url.port(url.scheme() == QLatin1String("https") ? 443 : 80);
  }

  QUrl development_;
};

}  // namespace app
