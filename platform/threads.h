// Worker threads for asynchronous commands.
//
// A command that runs in the background hands its work to a worker and
// answers at once; nobody waits for the work. Work comes in kinds, each
// with workers of its own: downloads stuck on dead peers never hold back a
// database query or an extraction, whatever their number. Of each kind at
// most kMaxWorkerThreads workers run at once: work started beyond that waits
// in its kind's queue, first in, first out, so that no burst of commands can
// take every thread the process may have (the web engine needs some of its
// own). Each piece of work runs whole on one thread, so one command's
// records keep their order.
//
// The work owns what it was given: its function object is destroyed on the
// worker when the work ends, before the work counts as ended.
//
// The shell counts work not yet ended so that it can give it a short grace
// period at exit instead of tearing the process down under its feet.
//
// Stands for CreateThread with default security, stack size and flags.
// Safe to call from any thread.
#pragma once

#include <chrono>
#include <functional>

#include "platform/error.h"

namespace platform {

// What work waits on, which decides the workers it may hold.
enum class WorkKind { kDatabase, kZip, kNetwork };

inline constexpr int kMaxWorkerThreads = 64;  // of each kind

// Runs `body` on a worker thread of its kind, now or when one is free.
// Fails (EAGAIN, as a rule) when the system has no thread to give and no
// worker of the kind is running to take the work later; the body is then
// dropped unrun.
Status startDetached(WorkKind kind, std::function<void()> body);

// Waits until all work has ended or `limit` has passed. Returns true when
// none is left.
[[nodiscard]] bool waitForWorkers(std::chrono::milliseconds limit);

}  // namespace platform
