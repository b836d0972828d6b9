// The one way from any thread to page script.
//
// deliverCallback() turns a record into the script
//   WebBrowserUtil_callback([ ...record as a JSON array of strings... ]);
// and queues it to run on the GUI thread in the page's current frame (or its
// main frame). Records run exactly once each, in the order they were posted,
// whatever thread posted them.
//
// A page must be opened for callbacks (acceptCallbacksFor) by its owner and
// closed (refuseCallbacksFor) before it is destroyed: a worker that finishes
// after its page, or after the shell has begun to exit, then delivers
// nothing instead of touching a freed page.
#pragma once

#include "bridge/protocol/protocol.h"

class QWebPage;

namespace bridge {

// Safe to call from any thread. A record for a page that is not accepting
// callbacks, or whose frames are gone by the time it runs, does nothing.
void deliverCallback(QWebPage* page, const Record& record);

// The script text that delivers `record`.
std::string callbackScript(const Record& record);

// GUI thread only.
void acceptCallbacksFor(QWebPage* page);
void refuseCallbacksFor(QWebPage* page);

}  // namespace bridge
