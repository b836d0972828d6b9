// Worker threads for asynchronous commands.
//
// A command that runs in the background hands its work to a worker and
// answers at once; nobody waits for the work. Work comes in kinds, each
// with workers of its own: downloads stuck on dead peers never hold back a
// database query or an extraction, whatever their number. Of each kind at
// most workLimits(kind).workers run at once, so that no burst of commands
// can take every thread the process may have (the web engine needs some of
// its own). Work started beyond that waits in its kind's queue, first in,
// first out; a kind with a bounded queue refuses work that would wait past
// its bounds instead of holding it. Each piece of work runs whole on one
// thread, so one command's records keep their order; a kind with one worker
// runs its work, and sends its records, in the order it was started.
//
// The work owns what it was given: its function object is destroyed on the
// worker when the work ends, before the work counts as ended.
//
// The shell counts work not yet ended so that it can give it a short grace
// period at exit instead of tearing the process down under its feet.
//
// Workers are detached threads with the system's default stack size.
// Safe to call from any thread.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <limits>

#include "platform/error.h"

namespace platform {

// What work waits on, which decides the workers it may hold.
enum class WorkKind { kDatabase, kZip, kNetwork };

struct WorkLimits {
  int workers;              // running at once
  std::size_t queued;       // waiting at once
  std::size_t queuedBytes;  // held by the work waiting, as its starter counts them
};

// Network work is bounded, as it waits on peers that may be. 128 workers
// leave room for healthy peers beside a page's burst of slow ones, and hold
// at most 256 descriptors (a socket and a file each), a quarter of the
// usual limit of 1024, so databases, PDFs and the web engine keep theirs.
// 256 waiting take a page's burst of thumbnails whole; 64 MiB of waiting
// data is ample for a queue of requests and small beside the 512 MiB a
// single answer may take.
// ZIP work is bounded too: a page starts extractions far faster than a disk
// does them, and each waiting one holds its paths, which may be of any
// length. 256 waiting take a page's burst of members extracted one by one;
// 64 MiB of waiting paths is more than any page names.
// Database work has one worker, so that it runs in the order the page gave
// it: a query sees every write issued before it. Its queue holds a page's
// burst of thousands of single inserts, and as much SQL as the network
// queue holds data.
constexpr WorkLimits workLimits(WorkKind kind) {
  constexpr std::size_t kUnbounded = std::numeric_limits<std::size_t>::max();
  switch (kind) {
    case WorkKind::kNetwork: return {128, 256, std::size_t{64} << 20};
    case WorkKind::kZip: return {64, 256, std::size_t{64} << 20};
    case WorkKind::kDatabase: return {1, 4096, std::size_t{64} << 20};
  }
  return {64, kUnbounded, kUnbounded};
}

// Runs `body` on a worker thread of its kind, now or when one is free.
// `heldBytes` is what the body holds while it waits (the data it will send).
// Fails, and drops the body unrun:
//  - with EBUSY when the body would wait and the kind's queue is full;
//  - with ENOBUFS when it would wait and take the queue's bytes past their
//    bound (work that waits alone is never refused for its size);
//  - with the system's error (EAGAIN, as a rule) when there is no thread to
//    give and no worker of the kind is running to take the work later.
Status startDetached(WorkKind kind, std::function<void()> body, std::size_t heldBytes = 0);

// Waits until all work has ended or `limit` has passed. Returns true when
// none is left.
[[nodiscard]] bool waitForWorkers(std::chrono::milliseconds limit);

}  // namespace platform
