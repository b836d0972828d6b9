// Whole-file save and load.
#include <QFile>
#include <QSaveFile>
#include <QString>

#include <string>

#include "bridge/desktop/desktop.h"
#include "bridge/utf8_text.h"

namespace bridge::desktop {
namespace {

Answer failure(const char* what, const std::string& path, const QString& reason) {
  return {"ERROR", std::string(what) + " [" + path + "]: " + toUtf8(reason)};
}

}  // namespace

// QSaveFile writes a temporary file next to the target and renames it over
// the target only when everything was written, so a failure at any point
// leaves the old file as it was.
Answer saveFile(CommandContext& context) {
  const std::string path = context.arg(kFirstArgument);
  const std::string content = context.arg(kFirstArgument + 1);
  QSaveFile file(fromUtf8(path));
  if (!file.open(QIODevice::WriteOnly)) return failure("Cannot save", path, file.errorString());
  const qint64 written = file.write(content.data(), static_cast<qint64>(content.size()));
  if (written != static_cast<qint64>(content.size()) || !file.commit()) {
    return failure("Cannot save", path, file.errorString());
  }
  return {"OK", path};
}

Answer loadFile(CommandContext& context) {
  const std::string path = context.arg(kFirstArgument);
  QFile file(fromUtf8(path));
  if (!file.open(QIODevice::ReadOnly)) return failure("Cannot load", path, file.errorString());
  // The size first, as the file system gives it: reading to the end instead
  // would never finish on a device such as /dev/zero.
  const qint64 size = file.size();
  const QByteArray content = file.read(size);
  if (content.size() != size) return failure("Cannot load", path, file.errorString());
  return {"OK", content.toStdString()};
}

}  // namespace bridge::desktop
