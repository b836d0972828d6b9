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
  held_.erase(page);
  waiting_.erase(page);
}

void JSInvoker::hold(Page* page) {
  std::lock_guard<std::mutex> lock(mutex_);
  held_.insert(page);
}

void JSInvoker::release(Page* page) {
  std::lock_guard<std::mutex> lock(mutex_);
  held_.erase(page);
  const auto waiting = waiting_.find(page);
  if (waiting == waiting_.end()) return;
  // They were taken from the queue before anything of this page still in
  // it, so they go first.
  queue_.insert(queue_.begin(), std::make_move_iterator(waiting->second.begin()),
                std::make_move_iterator(waiting->second.end()));
  waiting_.erase(waiting);
  schedule();
}

void JSInvoker::post(Page* page, std::string id, QString record) {
  std::lock_guard<std::mutex> lock(mutex_);
  // The lock is held until the run is queued: a page cannot be closed, and
  // the application cannot lose its last open page and end, half-way.
  if (std::find(open_.begin(), open_.end(), page) == open_.end()) return;
  enqueue({page, std::move(id), std::move(record), nullptr});
}

void JSInvoker::postTask(std::function<void()> task) {
  std::lock_guard<std::mutex> lock(mutex_);
  enqueue({nullptr, std::string(), QString(), std::move(task)});
}

void JSInvoker::enqueue(Queued queued) {
  if (QCoreApplication::instance() == nullptr) return;
  queue_.push_back(std::move(queued));
  schedule();
}

void JSInvoker::schedule() {
  QCoreApplication* application = QCoreApplication::instance();
  if (runPending_ || application == nullptr) return;
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
  // From the front, the records of one page up to the bound in one call. A
  // script may spin an event loop of its own (a modal dialog), whose runs
  // then take the next entries; the page keeps them after the rest of the
  // call's batch.
  while (count > 0) {
    Queued next;
    std::vector<PageRecord> records;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (queue_.empty()) return;
      next = std::move(queue_.front());
      queue_.pop_front();
      --count;
      if (next.page != nullptr && held_.count(next.page) > 0) {
        waiting_[next.page].push_back(std::move(next));
        continue;
      }
      if (next.page != nullptr) {
        std::size_t chars = static_cast<std::size_t>(next.record.size());
        records.push_back({std::move(next.id), std::move(next.record)});
        while (count > 0 && queue_.front().page == next.page &&
               chars + static_cast<std::size_t>(queue_.front().record.size()) <= kBatchChars) {
          chars += static_cast<std::size_t>(queue_.front().record.size());
          records.push_back({std::move(queue_.front().id), std::move(queue_.front().record)});
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
