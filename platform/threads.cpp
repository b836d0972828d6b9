#include "platform/threads.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace platform {
namespace {

struct Pool {
  std::mutex mutex;
  std::condition_variable workEnded;
  std::deque<std::function<void()>> queue;
  int threads = 0;     // worker threads alive
  int unfinished = 0;  // work queued or running
};

Pool& pool() {
  static auto* instance = new Pool;  // never destroyed: workers may outlive main
  return *instance;
}

// A worker takes work from the queue until it is empty, then ends; threads
// are started only when there is work for them.
void workerLoop() {
  Pool& p = pool();
  std::unique_lock<std::mutex> lock(p.mutex);
  while (!p.queue.empty()) {
    std::function<void()> body = std::move(p.queue.front());
    p.queue.pop_front();
    lock.unlock();
    try {
      body();
    } catch (...) {
      // Work reports its own failures; one that still throws must not end
      // the process.
    }
    body = nullptr;  // the work's record goes before the work counts as ended
    lock.lock();
    --p.unfinished;
    p.workEnded.notify_all();
  }
  --p.threads;
}

}  // namespace

void startDetached(std::function<void()> body) {
  Pool& p = pool();
  std::lock_guard<std::mutex> lock(p.mutex);
  p.queue.push_back(std::move(body));
  ++p.unfinished;
  if (p.threads >= kMaxWorkerThreads) return;
  ++p.threads;
  try {
    std::thread(workerLoop).detach();
  } catch (...) {
    --p.threads;
    if (p.threads > 0) return;  // a running worker takes the work when it is free
    p.queue.pop_back();
    --p.unfinished;
    throw;
  }
}

int runningWorkers() {
  Pool& p = pool();
  std::lock_guard<std::mutex> lock(p.mutex);
  return p.unfinished;
}

bool waitForWorkers(std::chrono::milliseconds limit) {
  Pool& p = pool();
  std::unique_lock<std::mutex> lock(p.mutex);
  return p.workEnded.wait_for(lock, limit, [&p] { return p.unfinished == 0; });
}

}  // namespace platform
