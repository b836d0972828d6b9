// Page: what the bridge knows of a web page. The engine that shows it lives
// in app/ (one folder per engine); nothing in the bridge names an engine type.
//
// GUI thread only. A page outlives every script posted for it: its owner
// opens it for callbacks and closes it before it goes (callback.h).
#pragma once

#include <QString>

#include <cstddef>
#include <vector>

namespace bridge {

class Page {
 public:
  // Calls WebBrowserUtil_callback with each of `records` (each the text of a
  // JSON array, callback.h), in order, in the main frame's current document;
  // a call that throws does not keep the next from running. Local data never
  // reaches remote content: the records go only while the main frame shows
  // a local document (the kind that gets myObject); otherwise they are
  // dropped and the drop is logged. Never into a subframe.
  virtual void deliverRecords(const std::vector<QString>& records) = 0;

  // How many queued records one deliverRecords() call may take. An engine
  // whose page script may open a dialog with an event loop of its own takes
  // one at a time, so that records delivered in that loop keep their order.
  virtual std::size_t recordsPerCall() const = 0;

 protected:
  ~Page() = default;
};

}  // namespace bridge
