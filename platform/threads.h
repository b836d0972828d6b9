// Worker threads for asynchronous commands.
//
// A command that runs in the background hands its argument record to a new,
// detached thread and answers at once; nobody joins the thread. The thread
// owns the record: it is moved into the thread and destroyed there, so it
// outlives the command that made it and never the thread that uses it.
//
// The shell counts live workers so that it can give them a short grace period
// at exit instead of tearing the process down under their feet.
//
// Stands for CreateThread with default security, stack size and flags.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <utility>

namespace platform {

// Starts `body` on a detached thread. Throws std::system_error when the
// system has no thread to give; the caller then still owns nothing.
void startDetached(std::function<void()> body);

// Starts `worker(std::move(record))` on a detached worker thread.
template <class Record, class Worker>
void startThread(Worker worker, std::unique_ptr<Record> record) {
  auto shared = std::make_shared<std::unique_ptr<Record>>(std::move(record));
  startDetached([worker, shared]() mutable { worker(std::move(*shared)); });
}

// Number of worker threads started by startThread that have not ended yet.
int runningWorkers();

// Waits until every worker has ended or `limit` has passed. Returns true when
// none is left running.
bool waitForWorkers(std::chrono::milliseconds limit);

}  // namespace platform
