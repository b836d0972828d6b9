// The one way from any thread to page script.
//
// deliverCallback() turns a record into a JSON array of strings and queues
// it for the GUI thread, which hands it to the page's WebBrowserUtil_callback
// in the main frame while that frame shows a local document (page.h).
// Records run exactly once each, in the order they were posted, whatever
// thread posted them; a burst of them runs in one turn of the event loop
// (js_invoker.h).
//
// A page must be opened for callbacks (acceptCallbacksFor) by its owner and
// closed (refuseCallbacksFor) before it is destroyed: a worker that finishes
// after its page, or after the shell has begun to exit, then delivers
// nothing instead of touching a freed page.
#pragma once

#include "bridge/protocol/protocol.h"

namespace bridge {

class Page;

class CmdState;

// Safe to call from any thread. A record for a page that is not accepting
// callbacks, or whose frames are gone by the time it runs, does nothing;
// refusing a page drops the records still queued for it.
// Throws CmdException when the record is too large to hand to the page
// (protocol.h); nothing is delivered then.
void deliverCallback(Page* page, const Record& record);

// The record as the array a page's WebBrowserUtil_callback gets, written to
// be read as script text (U+2028 and U+2029 escaped): what pages are handed.
std::string recordText(const Record& record);

// GUI thread only.
void acceptCallbacksFor(Page* page);
void refuseCallbacksFor(Page* page);

// GUI thread only. While a page is held its records wait, in the order they
// were posted, and a release hands them on. A page holds them while its main
// frame loads a document: until then the document's own scripts, its
// WebBrowserUtil_callback among them, may not have run.
void holdCallbacksFor(Page* page);
void releaseCallbacksFor(Page* page);

// Queues a line for this run's log; safe to call from any thread (only the
// GUI thread writes the log). The line is written on the GUI thread through
// the target set below, or dropped when there is none, in its turn among the
// callback records: before those posted after it.
void postLog(const std::string& message);

// GUI thread only: where postLog's lines go; null drops them. The target must
// be cleared before it is destroyed.
void setLogTarget(CmdState* target);

}  // namespace bridge
