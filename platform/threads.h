// Worker threads for asynchronous commands.
//
// A command that runs in the background hands its work to a worker and
// answers at once; nobody waits for the work. At most kMaxWorkerThreads
// workers run at once: work started beyond that waits in a queue, first in,
// first out, so that no burst of commands can take every thread the process
// may have (the web engine needs some of its own). Each piece of work runs
// whole on one thread, so one command's records keep their order.
//
// The work owns what it was given: startThread moves its record in, and the
// record is destroyed on the worker when the work ends.
//
// The shell counts work not yet ended so that it can give it a short grace
// period at exit instead of tearing the process down under its feet.
//
// Stands for CreateThread with default security, stack size and flags.
// Safe to call from any thread.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <utility>

namespace platform {

inline constexpr int kMaxWorkerThreads = 64;

// Runs `body` on a worker thread, now or when one is free. Throws
// std::system_error when the system has no thread to give and no worker is
// running to take the work later; the body is then dropped unrun.
void startDetached(std::function<void()> body);

// Runs `worker(std::move(record))` on a worker thread, as startDetached.
template <class Record, class Worker>
void startThread(Worker worker, std::unique_ptr<Record> record) {
  auto shared = std::make_shared<std::unique_ptr<Record>>(std::move(record));
  startDetached([worker, shared]() mutable { worker(std::move(*shared)); });
}

// Work started and not yet ended, queued or running.
int runningWorkers();

// Waits until all work has ended or `limit` has passed. Returns true when
// none is left.
bool waitForWorkers(std::chrono::milliseconds limit);

}  // namespace platform
