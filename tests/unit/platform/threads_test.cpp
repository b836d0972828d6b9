#include "platform/threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace platform {
namespace {

void start(WorkKind kind, std::function<void()> body, std::size_t heldBytes = 0) {
  ASSERT_TRUE(startDetached(kind, std::move(body), heldBytes).ok());
}

TEST(WorkerThreads, ABurstRunsWholeButNeverMoreThanTheLimitAtOnce) {
  const WorkLimits limits = workLimits(WorkKind::kZip);
  const int kBurst = limits.workers + static_cast<int>(limits.queued);
  std::atomic<int> running{0};
  std::atomic<int> mostAtOnce{0};
  std::atomic<int> done{0};
  for (int i = 0; i < kBurst; ++i) {
    start(WorkKind::kZip, [&] {
      const int now = ++running;
      int seen = mostAtOnce.load();
      while (now > seen && !mostAtOnce.compare_exchange_weak(seen, now)) {
      }
      std::this_thread::sleep_for(std::chrono::microseconds(200));
      --running;
      ++done;
    });
  }
  ASSERT_TRUE(waitForWorkers(std::chrono::seconds(60)));
  EXPECT_EQ(done.load(), kBurst);
  EXPECT_LE(mostAtOnce.load(), workLimits(WorkKind::kZip).workers);
  EXPECT_GT(mostAtOnce.load(), 1) << "work runs side by side";
}

// Every network worker held by a peer that never answers, and more waiting:
// database and zip work still runs.
TEST(WorkerThreads, StuckWorkHoldsBackNoOtherKind) {
  std::atomic<bool> released{false};
  std::atomic<int> others{0};
  for (int i = 0; i <= workLimits(WorkKind::kNetwork).workers; ++i) {
    start(WorkKind::kNetwork, [&released] {
      for (int wait = 0; wait < 3000 && !released; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
    });
  }
  start(WorkKind::kDatabase, [&others] { ++others; });
  start(WorkKind::kZip, [&others] { ++others; });
  for (int wait = 0; wait < 3000 && others < 2; ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(others.load(), 2) << "the others waited for the network";
  released = true;
  EXPECT_TRUE(waitForWorkers(std::chrono::seconds(30)));
}

// Holds every network worker until `released`, counting each in `ran`.
void holdNetworkWorkers(std::atomic<bool>& released, std::atomic<int>& ran) {
  for (int i = 0; i < workLimits(WorkKind::kNetwork).workers; ++i) {
    start(WorkKind::kNetwork, [&] {
      for (int wait = 0; wait < 3000 && !released; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
      ++ran;
    });
  }
}

// Every network worker held, then work that would wait: the queue takes it
// up to its count and its bytes and refuses the rest at once, never running
// it. Twice, so that what the first round's work held is seen given back.
TEST(WorkerThreads, TheNetworkQueueRefusesWorkPastItsBounds) {
  const WorkLimits limits = workLimits(WorkKind::kNetwork);
  for (int round = 0; round < 2; ++round) {
    std::atomic<bool> released{false};
    std::atomic<int> ran{0};
    const auto counted = [&ran] { ++ran; };
    holdNetworkWorkers(released, ran);
    start(WorkKind::kNetwork, counted);
    start(WorkKind::kNetwork, counted, limits.queuedBytes);
    EXPECT_EQ(startDetached(WorkKind::kNetwork, counted, 1).code(), ENOBUFS);
    for (std::size_t i = 2; i < limits.queued; ++i) start(WorkKind::kNetwork, counted);
    EXPECT_EQ(startDetached(WorkKind::kNetwork, counted).code(), EBUSY);
    start(WorkKind::kZip, counted);

    released = true;
    ASSERT_TRUE(waitForWorkers(std::chrono::seconds(60)));
    EXPECT_EQ(ran.load(), limits.workers + static_cast<int>(limits.queued) + 1) << round;
  }
}

TEST(WorkerThreads, WorkWaitingAloneIsNeverRefusedForItsSize) {
  const WorkLimits limits = workLimits(WorkKind::kNetwork);
  std::atomic<bool> released{false};
  std::atomic<int> ran{0};
  holdNetworkWorkers(released, ran);
  start(
      WorkKind::kNetwork, [&ran] { ++ran; }, limits.queuedBytes * 2);
  EXPECT_EQ(startDetached(
                WorkKind::kNetwork, [] {}, 1)
                .code(),
            ENOBUFS);
  released = true;
  ASSERT_TRUE(waitForWorkers(std::chrono::seconds(60)));
  EXPECT_EQ(ran.load(), limits.workers + 1);
}

// Database work runs in the order it was given, so that a query sees the
// writes issued before it: the first piece waits a while for another to run
// beside it, and none may.
TEST(WorkerThreads, DatabaseWorkRunsAloneInTheOrderItWasStarted) {
  std::mutex mutex;
  std::vector<int> order;
  std::atomic<bool> beside{false};
  for (int i = 0; i < 300; ++i) {
    start(WorkKind::kDatabase, [&, i] {
      for (int wait = 0; i == 0 && wait < 100 && !beside; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
      std::lock_guard<std::mutex> lock(mutex);
      if (order.size() != static_cast<std::size_t>(i)) beside = true;
      order.push_back(i);
    });
  }
  ASSERT_TRUE(waitForWorkers(std::chrono::seconds(60)));
  EXPECT_FALSE(beside.load());
  EXPECT_EQ(order.size(), 300u);
}

TEST(WorkerThreads, WorkThatThrowsEndsQuietlyAndCountsAsEnded) {
  start(WorkKind::kDatabase, [] { throw 42; });
  EXPECT_TRUE(waitForWorkers(std::chrono::seconds(10)));
}

TEST(WorkerThreads, TheRecordIsFreedOnTheWorkerWhenTheWorkEnds) {
  struct Record {
    explicit Record(std::atomic<bool>* flag) : freed(flag) {}
    ~Record() { *freed = true; }
    std::atomic<bool>* freed;
  };
  std::atomic<bool> freed{false};
  std::atomic<bool> freedBeforeReturn{true};
  start(WorkKind::kNetwork,
        [&, record = std::make_shared<Record>(&freed)] { freedBeforeReturn = freed.load(); });
  ASSERT_TRUE(waitForWorkers(std::chrono::seconds(10)));
  EXPECT_FALSE(freedBeforeReturn.load());
  EXPECT_TRUE(freed.load());
}

}  // namespace
}  // namespace platform
