// The WebEngine build's native call: one synchronous window.prompt() whose
// message is a marker private to this run followed by the call's kind
// (page_script.h), and whose default value is the call's text. The page's
// prompt handler answers it through the PageChannel; a prompt() without the
// marker is the page's own and behaves as usual.
//
// The engine blocks prompt() while a page unloads (beforeunload, pagehide,
// unload): a command written then is not run, and `result` reads the
// blocked command's ERROR answer (page_script.h).
#pragma once

#include <QString>

#include <optional>

#include "app/page_script.h"

namespace app::webengine {

class Channel {
 public:
  // A fresh random marker for this run.
  Channel();

  // The install script's native call (page_script.h).
  QString nativeCall() const;

  // The call a prompt() message stands for, or nothing for the page's own.
  std::optional<PageCall> callOf(const QString& promptMessage) const;

  // `text` (a console message, say) with each call's marker replaced by what
  // the call stands for, such as "myObject.command": the marker never
  // reaches the log.
  QString withoutMarker(const QString& text) const;

 private:
  QString marker_;
};

}  // namespace app::webengine
