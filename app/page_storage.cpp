#include "app/page_storage.h"

#include <QDir>

#include "app/page_hooks.h"

namespace app {

PageStorage::PageStorage(PageHooks& hooks) {
  // Beside debug/, so that what a page keeps lives with the rest of its data.
  const QString kept = QDir::current().absoluteFilePath(QStringLiteral("storage"));
  platform::Result<platform::FolderLock> lock = platform::FolderLock::acquire("storage");
  if (lock) {
    lock_.emplace(std::move(*lock));
    folder_ = kept;
    return;
  }
  temporary_ = std::make_unique<QTemporaryDir>();
  folder_ = temporary_->path();
  hooks.log("localStorage not kept: " + lock.status().message());
}

}  // namespace app
