// JSInvoker: the one queue from other threads to page script.
//
// Any thread posts a callback record for a page (or a task for the GUI
// thread, such as a log line that goes with a record); the GUI thread hands
// on what was queued in the order it was posted, each exactly once. Records
// go to the page's main frame as it is when their turn comes, several in one
// call (page.h); a callback that throws never keeps the next one from
// running. Posting wakes the GUI thread only when no run is pending, so a
// burst of records costs one event-loop turn, not an object and an event
// each.
//
// One call takes at most kBatchChars characters of record text, or a single
// record that is longer alone: a script of hundreds of megabytes is more
// than an engine takes in one piece, and it would hold the page's other
// events back meanwhile.
//
// Pages are opened by their owner on the GUI thread and closed before they
// are destroyed. A record posted for a page that is not open is dropped, and
// closing a page drops the records still queued for it. While a page is held
// (a new document that has not finished loading, whose scripts may not have
// run yet) its records wait, in order, and go once it is released.
#pragma once

#include <QString>

#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace bridge {

class Page;

// The most record text, in UTF-16 characters, that one deliverRecords() call
// takes when it takes more than one record.
inline constexpr std::size_t kBatchChars = std::size_t{2} << 20;

class JSInvoker {
 public:
  // The shell's one queue. It is never destroyed: a worker may post after
  // the application has begun to end (and is then refused, its page closed).
  static JSInvoker& instance();

  // GUI thread only.
  void open(Page* page);
  void close(Page* page);
  void hold(Page* page);
  void release(Page* page);

  // Any thread. Queues `record`, whose callback identifier is `id`, for
  // `page` and makes sure a run is pending on the application's thread,
  // where the pages live.
  void post(Page* page, std::string id, QString record);
  // Any thread. Queues `task` to run on the application's thread in its
  // turn among the records.
  void postTask(std::function<void()> task);

 private:
  struct Queued {
    Page* page = nullptr;  // null for a task
    std::string id;        // the record's callback identifier
    QString record;        // a JSON array text (page.h)
    std::function<void()> task;
  };

  JSInvoker() = default;

  // With the lock held.
  void enqueue(Queued queued);
  void schedule();

  // GUI thread: runs what was queued when the run began. What is posted
  // meanwhile waits for the next run, so the page's other events are not
  // starved by a worker that keeps posting.
  void run();

  std::mutex mutex_;
  std::vector<Page*> open_;
  std::deque<Queued> queue_;
  std::set<Page*> held_;
  std::map<Page*, std::deque<Queued>> waiting_;  // records of held pages, in order
  bool runPending_ = false;
};

}  // namespace bridge
