// The page side of the protocol, one script for both engines.
//
// The install script runs in each new document of the main frame before any
// script of the page. It announces the document over the engine's native
// call and, where the shell answers that the document is its own, defines
// `myObject` (`command`, `result`, `deleteLater()`, nothing else): writing
// `command` is one native call carrying the request, whose answer `result`
// then holds; deleteLater() is one more. It also keeps the document's
// record queue, which delivery scripts feed.
//
// Everything the script uses is taken as the document is created: a page
// that replaces String, Function.prototype.call or the engine's globals later
// neither breaks the protocol nor sees what crosses it.
#pragma once

#include <QString>

#include <vector>

#include "bridge/page.h"

namespace app {

// What a native call asks, as its first argument.
enum class PageCall : char { DocumentCreated = 'n', Command = 'c', DeleteLater = 'd' };

// The answer of a native call whose document is the shell's own.
inline constexpr const char* kOwnDocument = "local";

// The message of the answer to a command the engine did not let through (a
// native call that gave null).
inline constexpr const char* kBlockedCommand =
    "command not run: the engine blocks calls while the page unloads";

// 32 random hex digits, fresh each call: a name page script cannot guess.
QString randomToken();

class PageScript {
 public:
  // With a fresh random name for this run's record queue.
  PageScript();

  // `nativeCall` is a script expression, evaluated in the install script
  // before anything of the page, whose value is the engine's native call:
  // a function (kind, text) that gives the shell's answer text, or null.
  QString installScript(const QString& nativeCall) const;

  // One script that hands `records` to the document's record queue, whose
  // value is true when the document has one (it got myObject) and false
  // otherwise. The queue calls WebBrowserUtil_callback with each record in
  // order; an exception in one is reported as the page's own uncaught error
  // and never stops the next. A callback that runs a nested event loop (a
  // dialog) whose delivery brings more records runs the rest of its own
  // batch first: records keep their order.
  QString deliveryScript(const std::vector<bridge::PageRecord>& records) const;

 private:
  QString queueName_;
};

}  // namespace app
