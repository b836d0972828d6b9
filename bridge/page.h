// Page: what the bridge knows of a web page. The engine that shows it lives
// in app/ (one folder per engine); nothing in the bridge names an engine type.
//
// GUI thread only. A page outlives every script posted for it: its owner
// opens it for callbacks and closes it before it goes (callback.h).
#pragma once

#include <QString>

#include <cstddef>
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
  // identifier and the reason.
  virtual void deliverRecords(const std::vector<PageRecord>& records) = 0;

  // How many queued records one deliverRecords() call may take. An engine
  // whose page script may open a dialog with an event loop of its own takes
  // one at a time, so that records delivered in that loop keep their order.
  // The bridge also bounds a call's text (js_invoker.h).
  virtual std::size_t recordsPerCall() const = 0;

 protected:
  ~Page() = default;
};

}  // namespace bridge
