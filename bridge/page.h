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
  // Runs `scripts` in order in the main frame's current document, each as if
  // on its own: one that throws does not keep the next from running. Local
  // data never reaches remote content: the scripts run only while the main
  // frame shows a local document (the kind that gets myObject); otherwise
  // they are dropped and the drop is logged. Never runs them in a subframe.
  virtual void runScripts(const std::vector<QString>& scripts) = 0;

  // How many queued scripts one runScripts() call may take. An engine whose
  // scripts may open a dialog with an event loop of its own takes one at a
  // time, so that scripts run in that loop still keep their order.
  virtual std::size_t scriptsPerRun() const = 0;

 protected:
  ~Page() = default;
};

}  // namespace bridge
