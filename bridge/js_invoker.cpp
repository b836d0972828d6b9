#include "bridge/js_invoker.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QWebFrame>
#include <QWebPage>

#include <algorithm>
#include <utility>

namespace bridge {

JSInvoker& JSInvoker::instance() {
  static auto* invoker = new JSInvoker;
  return *invoker;
}

void JSInvoker::open(QWebPage* page) {
  std::lock_guard<std::mutex> lock(mutex_);
  open_.push_back(page);
}

void JSInvoker::close(QWebPage* page) {
  std::lock_guard<std::mutex> lock(mutex_);
  open_.erase(std::remove(open_.begin(), open_.end(), page), open_.end());
  queue_.erase(std::remove_if(queue_.begin(), queue_.end(),
                              [page](const Queued& queued) { return queued.page == page; }),
               queue_.end());
}

void JSInvoker::post(QWebPage* page, QString script) {
  std::lock_guard<std::mutex> lock(mutex_);
  // The lock is held until the run is queued: a page cannot be closed, and
  // the application cannot lose its last open page and end, half-way.
  if (std::find(open_.begin(), open_.end(), page) == open_.end()) return;
  enqueue({page, std::move(script), nullptr});
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
  // One at a time from the front: a script may spin an event loop of its own
  // (a modal dialog), whose runs then take the next entries in order too.
  for (; count > 0; --count) {
    Queued next;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (queue_.empty()) return;
      next = std::move(queue_.front());
      queue_.pop_front();
    }
    if (next.task) {
      next.task();
    } else {
      evaluate(next.page, next.script);
    }
  }
}

void JSInvoker::evaluate(QWebPage* page, const QString& script) {
  QWebFrame* frame = page->currentFrame();
  if (frame == nullptr) frame = page->mainFrame();
  if (frame != nullptr) frame->evaluateJavaScript(script);
}

}  // namespace bridge
