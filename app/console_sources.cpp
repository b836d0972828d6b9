#include "app/console_sources.h"

#include <QFile>
#include <QUrl>

#include "app/source_map.h"

namespace app {
namespace {

constexpr qint64 kMostRead = qint64{64} << 20;

std::optional<QByteArray> localFile(const QUrl& url) {
  if (!url.isLocalFile()) return std::nullopt;
  QFile file(url.toLocalFile());
  if (!file.open(QIODevice::ReadOnly) || file.size() > kMostRead) return std::nullopt;
  return file.readAll();
}

// The map named by the script's last sourceMappingURL comment, when both
// are local files.
std::optional<std::string> mapOf(const QUrl& script) {
  const std::optional<QByteArray> text = localFile(script);
  if (!text) return std::nullopt;
  const QByteArray comment("//# sourceMappingURL=");
  const int at = text->lastIndexOf(comment);
  if (at < 0) return std::nullopt;
  const int start = at + comment.size();
  int end = text->indexOf('\n', start);
  if (end < 0) end = text->size();
  const QString name = QString::fromUtf8(text->mid(start, end - start)).trimmed();
  const std::optional<QByteArray> map = localFile(script.resolved(QUrl(name)));
  if (!map) return std::nullopt;
  return map->toStdString();
}

}  // namespace

std::string ConsoleSources::originalOf(const QString& sourceID, int lineNumber) {
  auto known = maps_.find(sourceID);
  if (known == maps_.end()) known = maps_.insert(sourceID, mapOf(QUrl(sourceID)));
  if (!known.value()) return std::string();
  const std::optional<SourcePosition> original = originalPosition(*known.value(), lineNumber);
  if (!original) return std::string();
  return " [from " + original->source + "#" + std::to_string(original->line) + "]";
}

}  // namespace app
