// CmdState: the command executor behind `myObject`.
//
// The window owns one CmdState for the whole run; dispatch() runs every
// request, always on the GUI thread, and returns its answer. Commands that
// work in the background start a worker thread and answer at once; the
// worker reports through deliverCallback (callback.h).
//
// Nothing thrown by a command escapes runRequest(): it becomes the answer
// ["ERROR", message] and a log line, and the shell keeps running.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "bridge/log_file.h"
#include "bridge/protocol/protocol.h"

namespace bridge {

class Page;
class ShellWindow;

class CmdState {
 public:
  // Fixes this run's log file name and creates the database mutex.
  CmdState();

  CmdState(const CmdState&) = delete;
  CmdState& operator=(const CmdState&) = delete;

  // The database commands (database.h). A SQLite failure throws CmdException
  // with SQLite's message, which dispatch() answers as ["ERROR", message]; the
  // asynchronous ones answer at once and report one callback record to `page`
  // from their worker thread, failures included.
  virtual Answer sqliteOpen(const std::string& directory, const std::string& fileName);
  virtual Answer sqliteAsyncExecute(Page* page, const Request& request);
  virtual Answer sqliteExecute(const Request& request);
  // Answers ["OK", fileName] and does nothing else.
  virtual Answer sqliteExecuteFile(Page* page, const std::string& directory,
                                   const std::string& fileName, const std::string& unused1,
                                   const std::string& unused2);
  virtual Answer sqliteAsyncQuery(Page* page, const std::string& directory,
                                  const std::string& fileName, const std::string& callbackId,
                                  const std::string& sql);
  // Returns the answer's text (writeList's form). Also throws CmdException
  // when the rows differ in column count.
  virtual std::string sqliteQuery(const std::string& directory, const std::string& fileName,
                                  const std::string& sql);

  // Runs one request. `window` is the shell's main window (null where there
  // is none), `page` the page that sent the request; `request` holds the
  // elements of a non-empty JSON array. A command's failure may escape as an
  // exception; runRequest answers it. Returns the answer's text (writeList
  // in protocol.h).
  virtual std::string dispatch(ShellWindow* window, Page* page, const Request& request);

  // Runs the text a page wrote into `command` and returns the answer text
  // for `result`: parsing, dispatch and writing the answer. Nothing thrown on
  // the way escapes: it becomes ["ERROR", message] and a log line. A text
  // that is not a request (not a non-empty JSON array) is answered
  // ["ERROR", notARequest(text)] (protocol.h), without a log line.
  std::string runRequest(ShellWindow* window, Page* page, std::string_view text);

  // Tells the page that the user wants to close the window: delivers the
  // record [listener, "pass", "run"].
  virtual void notifyExit(const std::string& listener, Page* page);

  // Appends one line to this run's log (log_file.h). GUI thread only.
  virtual void log(const std::string& message);

  virtual ~CmdState();

  const std::string& logFileName() const { return logFile_.fileName(); }

  // Serialises the background database work. Shared, so that a worker still
  // running when the window goes away keeps a valid lock.
  const std::shared_ptr<std::mutex>& dbMutex() const { return dbMutex_; }

 private:
  LogFile logFile_;
  std::shared_ptr<std::mutex> dbMutex_;
};

}  // namespace bridge
