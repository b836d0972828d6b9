// The synchronous channel between page script and the shell in the WebEngine
// build.
//
// A script installed at document creation in the main frame's main world
// announces each new document and, in local (file:) documents only, defines
// `myObject`: writing `command` makes one synchronous window.prompt() call
// carrying a marker private to this run and the request; the shell answers
// it in its prompt handler with the answer text, which `result` then holds.
// deleteLater() is one more such call. The handler looks at the calling
// document's origin on every call, so a document that is not local gets
// nothing, whatever it sends; a prompt() without the marker is the page's
// own and behaves as usual.
//
// The script takes everything it uses when the document is created, before
// any script of the page runs: a page that replaces String, prompt() or
// Function.prototype.call later neither breaks the channel nor sees what
// crosses it. The engine blocks prompt() while a page unloads
// (beforeunload, pagehide, unload); a command written then is not run, and
// `result` reads kBlockedCommand's ERROR answer.
#pragma once

#include <QString>

#include <optional>
#include <vector>

namespace app::webengine {

enum class ChannelCall { Command, DeleteLater, DocumentCreated };

// The message of the answer to a command the engine did not let through.
inline constexpr const char* kBlockedCommand =
    "command not run: the engine blocks calls while the page unloads";

class Channel {
 public:
  // A fresh random marker for this run.
  Channel();

  // The script that installs `myObject` (see above).
  QString installScript() const;

  // The call a prompt() message stands for, or nothing for the page's own.
  std::optional<ChannelCall> callOf(const QString& promptMessage) const;

  // `text` (a console message, say) with each call's marker replaced by what
  // the call stands for, such as "myObject.command": the marker never
  // reaches the log.
  QString withoutMarker(const QString& text) const;

  // One script that calls WebBrowserUtil_callback with each of `records`
  // (JSON array texts) in order, each call in a try of its own (an exception
  // is rethrown from a timer, so the console still reports it), only while
  // the document is local. Its value is true when they were delivered.
  static QString deliveryScript(const std::vector<QString>& records);

 private:
  QString marker_;
};

}  // namespace app::webengine
