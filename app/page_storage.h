// Where this run keeps what pages put in localStorage: storage/ in the
// working folder, held for the whole run, so that a second shell started in
// the same folder (the same app launched twice) never overwrites what this
// one keeps. When the run cannot have it (another shell holds it, or
// storage/ is a file or a dangling link), pages still get a localStorage,
// kept in a private temporary folder that goes at exit, and the log says
// that nothing they store is kept.
//
// GUI thread only.
#pragma once

#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <optional>

#include "platform/folder_lock.h"

namespace app {

class PageHooks;

class PageStorage {
 public:
  explicit PageStorage(PageHooks& hooks);

  // The folder the engine keeps localStorage in.
  const QString& folder() const { return folder_; }

 private:
  std::optional<platform::FolderLock> lock_;
  std::unique_ptr<QTemporaryDir> temporary_;
  QString folder_;
};

}  // namespace app
