// Page: what the bridge knows of a web page. The engine that shows it lives
// in app/ (one folder per engine); nothing in the bridge names an engine type.
//
// GUI thread only. A page outlives every script posted for it: its owner
// opens it for callbacks and closes it before it goes (callback.h).
#pragma once

#include <QString>

#include <string>
#include <vector>

namespace bridge {

// One callback record on its way to a page.
struct PageRecord {
  std::string id;  // the record's callback identifier, for a line about its loss
  QString text;    // the record as a JSON array text (callback.h)
};

class Page {
 public:
  // Calls WebBrowserUtil_callback with each of `records`, in order, in the
  // main frame's current document; a call that throws does not keep the
  // next from running. Local data never reaches remote content: the records
  // go only while the main frame shows a local document (the kind that gets
  // myObject); otherwise they are dropped and the drop is logged. Never into
  // a subframe. A record the page could not be handed is logged with its
  // identifier and the reason. Records handed on in a later call while a
  // callback of this one waits in an event loop of its own (a dialog) run
  // after the rest of this call's. The bridge bounds a call's text
  // (js_invoker.h).
  virtual void deliverRecords(const std::vector<PageRecord>& records) = 0;

 protected:
  ~Page() = default;
};

}  // namespace bridge
