// The WebEngine build's native call: one synchronous window.prompt() whose
// message is a marker private to this run followed by the call's kind, and
// whose default value is the call's text. The page's prompt handler answers
// it; a prompt() without the marker is the page's own and behaves as usual.
//
// Besides the install script's calls (page_script.h) the channel has two
// of its own, which its script makes in the course of a command:
//  - an answer that is large, or that comes only once the page has let go
//    of its renderer, is not the prompt()'s answer: the prompt() answers
//    fetchAnswer(token) and the script fetches the answer from the answer
//    scheme (answer_scheme.h), or, where that fetch fails, takes it with a
//    TakeAnswer call;
//  - a command that draws the page is answered copyWanted(): the script
//    then sends a copy of its document (print_copy.h) in a PageCopy call,
//    whose answer is the command's. The copy is empty for a document that
//    is not a local file.
//
// The engine blocks prompt() while a page unloads (beforeunload, pagehide,
// unload): a command written then is not run, and `result` reads the
// blocked command's ERROR answer (page_script.h).
#pragma once

#include <QString>

#include <optional>

#include "app/page_script.h"

namespace app::webengine {

// The kinds of call a channel's prompt() makes.
enum class ChannelCall : char {
  DocumentCreated = static_cast<char>(PageCall::DocumentCreated),
  Command = static_cast<char>(PageCall::Command),
  DeleteLater = static_cast<char>(PageCall::DeleteLater),
  PageCopy = 'p',    // text: the copy of the page's document, or ""
  TakeAnswer = 'a',  // text: the token of the answer
};

class Channel {
 public:
  // A fresh random marker for this run.
  Channel();

  // The install script's native call (page_script.h).
  QString nativeCall() const;

  // The call a prompt() message stands for, or nothing for the page's own.
  std::optional<ChannelCall> callOf(const QString& promptMessage) const;

  // The prompt() answers that send the script on (see above).
  QString copyWanted() const;
  QString fetchAnswer(const QString& token) const;

  // `text` (a console message, say) with each call's marker replaced by what
  // the call stands for, such as "myObject.command": the marker never
  // reaches the log.
  QString withoutMarker(const QString& text) const;

 private:
  QString marker_;
};

}  // namespace app::webengine
