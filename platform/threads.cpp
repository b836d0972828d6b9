#include "platform/threads.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>

namespace platform {
namespace {

constexpr int kKinds = 3;

struct Queue {
  std::deque<std::function<void()>> work;
  int threads = 0;  // worker threads of this kind alive
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

// A worker takes work from its kind's queue until it is empty, then ends;
// threads are started only when there is work for them.
void workerLoop(Queue& queue) {
  Pools& p = pools();
  std::unique_lock<std::mutex> lock(p.mutex);
  while (!queue.work.empty()) {
    std::function<void()> body = std::move(queue.work.front());
    queue.work.pop_front();
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
  --queue.threads;
}

}  // namespace

Status startDetached(WorkKind kind, std::function<void()> body) {
  Pools& p = pools();
  Queue& queue = p.queues[static_cast<int>(kind)];
  std::lock_guard<std::mutex> lock(p.mutex);
  queue.work.push_back(std::move(body));
  ++p.unfinished;
  if (queue.threads >= kMaxWorkerThreads) return Status();
  ++queue.threads;
  try {
    std::thread(workerLoop, std::ref(queue)).detach();
  } catch (const std::system_error& e) {
    --queue.threads;
    if (queue.threads > 0) return Status();  // a running worker takes the work when it is free
    queue.work.pop_back();
    --p.unfinished;
    return Status::failure(e.code().value(), "", e.what());
  }
  return Status();
}

bool waitForWorkers(std::chrono::milliseconds limit) {
  Pools& p = pools();
  std::unique_lock<std::mutex> lock(p.mutex);
  return p.workEnded.wait_for(lock, limit, [&p] { return p.unfinished == 0; });
}

}  // namespace platform
