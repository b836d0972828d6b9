// Which documents are the shell's own: those loaded from the local file
// system. Only they get myObject, callback records and an exit listener;
// remote content must never reach files, programs or databases.
#pragma once

#include <QUrl>

namespace app {

// True for a file: address (or a file: origin).
inline bool isLocalDocument(const QUrl& url) { return url.isLocalFile(); }

}  // namespace app
