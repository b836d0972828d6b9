// PageHooks: what a web engine's page asks of the window that shows it. The
// engine folders (app/webkit/, app/webengine/) call these; the window answers
// them the same way whichever engine runs.
//
// GUI thread only.
#pragma once

#include <QString>
#include <QUrl>

#include <string>
#include <string_view>

namespace app {

class PageHooks {
 public:
  // Runs the text a local document wrote into myObject.command, as UTF-8.
  // Returns the answer for myObject.result, as UTF-8; a text that is not a
  // request is answered with an ERROR that says what is wrong with it.
  virtual std::string runCommand(std::string_view request) = 0;

  // myObject.deleteLater(): the window goes once nothing of its own runs any
  // more and no event loop is nested in the main one.
  virtual void requestDeletion() = 0;

  // The main frame has begun a new document at `url`; `local` when it gets
  // myObject.
  virtual void documentCreated(const QUrl& url, bool local) = 0;

  // The main frame has moved to `url`, as the engine tells it, whether or not
  // its document runs script (a reload stays where it is).
  virtual void addressChanged(const QUrl& url) = 0;

  // The engine lost the main frame's document without the page's say: its
  // renderer process ended, for `reason`.
  virtual void pageLost(const std::string& reason) = 0;

  // Appends a line to this run's log.
  virtual void log(const std::string& line) = 0;

 protected:
  ~PageHooks() = default;
};

}  // namespace app
