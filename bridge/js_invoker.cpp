#include "bridge/js_invoker.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <algorithm>
#include <utility>

#include "bridge/page.h"

namespace bridge {

JSInvoker& JSInvoker::instance() {
  static auto* invoker = new JSInvoker;
  return *invoker;
}

void JSInvoker::open(Page* page) {
  std::lock_guard<std::mutex> lock(mutex_);
  open_.push_back(page);
}

void JSInvoker::close(Page* page) {
  std::lock_guard<std::mutex> lock(mutex_);
  open_.erase(std::remove(open_.begin(), open_.end(), page), open_.end());
  queue_.erase(std::remove_if(queue_.begin(), queue_.end(),
                              [page](const Queued& queued) { return queued.page == page; }),
               queue_.end());
}

void JSInvoker::post(Page* page, QString record) {
  std::lock_guard<std::mutex> lock(mutex_);
  // The lock is held until the run is queued: a page cannot be closed, and
  // the application cannot lose its last open page and end, half-way.
  if (std::find(open_.begin(), open_.end(), page) == open_.end()) return;
  enqueue({page, std::move(record), nullptr});
}

void JSInvoker::postTask(std::function<void()> task) {
  std::lock_guard<std::mutex> lock(mutex_);
  enqueue({nullptr, QString(), std::move(task)});
}

void JSInvoker::enqueue(Queued queued) {
  QCoreApplication* application = QCoreApplication::instance();
  if (application == nullptr) return;
  queue_.push_back(std::move(queued));
  if (runPending_) return;
  runPending_ = true;
  QMetaObject::invokeMethod(
      application, [this] { run(); }, Qt::QueuedConnection);
}

void JSInvoker::run() {
  std::size_t count;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    runPending_ = false;
    count = queue_.size();
  }
  // From the front, as many records of one page as it takes in one call: a
  // script may spin an event loop of its own (a modal dialog), whose runs
  // then take the next entries in order too.
  while (count > 0) {
    Queued next;
    std::vector<QString> records;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (queue_.empty()) return;
      next = std::move(queue_.front());
      queue_.pop_front();
      --count;
      if (next.page != nullptr) {
        const std::size_t limit = std::max<std::size_t>(1, next.page->recordsPerCall());
        records.push_back(std::move(next.record));
        while (count > 0 && records.size() < limit && queue_.front().page == next.page) {
          records.push_back(std::move(queue_.front().record));
          queue_.pop_front();
          --count;
        }
      }
    }
    if (next.task) {
      next.task();
    } else {
      next.page->deliverRecords(records);
    }
  }
}

}  // namespace bridge
