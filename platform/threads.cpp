#include "platform/threads.h"

#include <cerrno>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace platform {
namespace {

constexpr int kKinds = 3;

struct Waiting {
  std::function<void()> body;
  std::size_t bytes;
};

struct Queue {
  std::deque<Waiting> work;
  std::size_t bytes = 0;  // the sum of the waiting work's
  int threads = 0;        // worker threads of this kind alive
};

struct Pools {
  std::mutex mutex;
  std::condition_variable workEnded;
  Queue queues[kKinds];
  int unfinished = 0;  // work of every kind queued or running
};

Pools& pools() {
  static auto* instance = new Pools;  // never destroyed: workers may outlive main
  return *instance;
}

// Runs one piece of work; its function object goes before the work counts as
// ended. Called and returning with the pools' lock held.
void runOne(std::function<void()> body, std::unique_lock<std::mutex>& lock) {
  Pools& p = pools();
  lock.unlock();
  try {
    body();
  } catch (...) {
    // Work reports its own failures; one that still throws must not end
    // the process.
  }
  body = nullptr;
  lock.lock();
  --p.unfinished;
  p.workEnded.notify_all();
}

// A worker runs the work it was started for, then takes work from its kind's
// queue until it is empty, and ends; threads are started only when there is
// work for them. The first work is shared so that its starter keeps it when
// no thread can be had.
void workerLoop(Queue& queue, std::shared_ptr<std::function<void()>> first) {
  std::unique_lock<std::mutex> lock(pools().mutex);
  runOne(std::move(*first), lock);
  first.reset();
  while (!queue.work.empty()) {
    Waiting next = std::move(queue.work.front());
    queue.work.pop_front();
    queue.bytes -= next.bytes;
    runOne(std::move(next.body), lock);
  }
  --queue.threads;
}

}  // namespace

Status startDetached(WorkKind kind, std::function<void()> body, std::size_t heldBytes) {
  Pools& p = pools();
  Queue& queue = p.queues[static_cast<int>(kind)];
  const WorkLimits limits = workLimits(kind);
  std::lock_guard<std::mutex> lock(p.mutex);
  if (queue.threads < limits.workers) {
    auto first = std::make_shared<std::function<void()>>(std::move(body));
    try {
      std::thread(workerLoop, std::ref(queue), first).detach();
      ++queue.threads;
      ++p.unfinished;
      return Status();
    } catch (const std::system_error& e) {
      // A running worker takes the work when it is free.
      if (queue.threads == 0) return Status::failure(e.code().value(), "", e.what());
      body = std::move(*first);
    }
  }
  if (queue.work.size() >= limits.queued) return Status::failure(EBUSY, "", "queue full");
  const bool bytesFit =
      queue.bytes <= limits.queuedBytes && heldBytes <= limits.queuedBytes - queue.bytes;
  if (!queue.work.empty() && !bytesFit) {
    return Status::failure(ENOBUFS, "", "queued data past its bound");
  }
  queue.work.push_back({std::move(body), heldBytes});
  queue.bytes += heldBytes;
  ++p.unfinished;
  return Status();
}

bool waitForWorkers(std::chrono::milliseconds limit) {
  Pools& p = pools();
  std::unique_lock<std::mutex> lock(p.mutex);
  return p.workEnded.wait_for(lock, limit, [&p] { return p.unfinished == 0; });
}

}  // namespace platform
