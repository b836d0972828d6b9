// PageChannel: how the shell answers the native calls of the install script
// (page_script.h), the same on both engines. It looks at the calling
// document on every call, so a document that is not the shell's own gets
// nothing, whatever it sends: the engine's native call only carries it here.
//
// GUI thread only.
#pragma once

#include <QString>
#include <QUrl>

#include <optional>
#include <string>
#include <string_view>

#include "app/local_document.h"
#include "app/page_script.h"

namespace app {

class PageHooks;

class PageChannel {
 public:
  PageChannel(PageHooks& hooks, LocalDocuments localDocuments)
      : hooks_(hooks), localDocuments_(localDocuments) {}

  // Answers `call` with `text` (UTF-8) from the main frame's document,
  // whose origin is `origin` (empty when opaque) and whose address the
  // engine gives as `address` (empty when it has none yet). The answer is
  // UTF-8; nothing is the page's null.
  std::optional<std::string> answer(PageCall call, const QUrl& origin, const QUrl& address,
                                    std::string_view text);

  const LocalDocuments& localDocuments() const { return localDocuments_; }
  // True while the main frame shows a document of the shell's own, as its
  // install script last announced and the engine has not said otherwise.
  bool inOwnDocument() const { return ownDocument_; }
  void leaveDocument() { ownDocument_ = false; }
  // True while a command from the page runs: its script waits for the
  // answer.
  bool inCommand() const { return commands_ > 0; }

 private:
  PageHooks& hooks_;
  LocalDocuments localDocuments_;
  bool ownDocument_ = false;
  int commands_ = 0;
};

}  // namespace app
