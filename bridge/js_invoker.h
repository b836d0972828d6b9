// JSInvoker: the one queue from other threads to page script.
//
// Any thread posts a callback record for a page (or a task for the GUI
// thread, such as a log line that goes with a record); the GUI thread hands
// on what was queued in the order it was posted, each exactly once. Records
// go to the page's main frame as it is when their turn comes, several in one
// call where the page takes them (page.h); a callback that throws never
// keeps the next one from running. Posting wakes the GUI thread only when no
// run is pending, so a burst of records costs one event-loop turn, not an
// object and an event each.
//
// Pages are opened by their owner on the GUI thread and closed before they
// are destroyed. A record posted for a page that is not open is dropped, and
// closing a page drops the records still queued for it.
#pragma once

#include <QString>

#include <deque>
#include <functional>
#include <mutex>
#include <vector>

namespace bridge {

class Page;

class JSInvoker {
 public:
  // The shell's one queue. It is never destroyed: a worker may post after
  // the application has begun to end (and is then refused, its page closed).
  static JSInvoker& instance();

  // GUI thread only.
  void open(Page* page);
  void close(Page* page);

  // Any thread. Queues `record` for `page` and makes sure a run is pending on
  // the application's thread, where the pages live.
  void post(Page* page, QString record);
  // Any thread. Queues `task` to run on the application's thread in its
  // turn among the records.
  void postTask(std::function<void()> task);

 private:
  struct Queued {
    Page* page = nullptr;  // null for a task
    QString record;        // a JSON array text (page.h)
    std::function<void()> task;
  };

  JSInvoker() = default;

  // With the lock held.
  void enqueue(Queued queued);

  // GUI thread: runs what was queued when the run began. What is posted
  // meanwhile waits for the next run, so the page's other events are not
  // starved by a worker that keeps posting.
  void run();

  std::mutex mutex_;
  std::vector<Page*> open_;
  std::deque<Queued> queue_;
  bool runPending_ = false;
};

}  // namespace bridge
