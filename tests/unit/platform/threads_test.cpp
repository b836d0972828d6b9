#include "platform/threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace platform {
namespace {

TEST(WorkerThreads, ABurstRunsWholeButNeverMoreThanTheLimitAtOnce) {
  constexpr int kBurst = 3000;
  std::atomic<int> running{0};
  std::atomic<int> mostAtOnce{0};
  std::atomic<int> done{0};
  for (int i = 0; i < kBurst; ++i) {
    startDetached(WorkKind::kZip, [&] {
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
  EXPECT_LE(mostAtOnce.load(), kMaxWorkerThreads);
  EXPECT_GT(mostAtOnce.load(), 1) << "work runs side by side";
  EXPECT_EQ(runningWorkers(), 0);
}

// Every network worker stuck on a peer that never answers: database and zip
// work still runs at once, and the network work queued behind runs as soon
// as one of its own kind is free.
TEST(WorkerThreads, StuckWorkHoldsBackNoOtherKind) {
  std::mutex mutex;
  std::condition_variable changed;
  bool released = false;
  int ran = 0;
  const auto waitUntil = [&](auto condition) {
    std::unique_lock<std::mutex> lock(mutex);
    return changed.wait_for(lock, std::chrono::seconds(30), condition);
  };
  const auto count = [&] {
    std::lock_guard<std::mutex> lock(mutex);
    ++ran;
    changed.notify_all();
  };
  for (int i = 0; i < kMaxWorkerThreads + 1; ++i) {
    startDetached(WorkKind::kNetwork, [&] {
      waitUntil([&] { return released; });
      count();
    });
  }
  startDetached(WorkKind::kDatabase, count);
  startDetached(WorkKind::kZip, count);
  EXPECT_TRUE(waitUntil([&] { return ran == 2; })) << "others waited for the network";
  {
    std::lock_guard<std::mutex> lock(mutex);
    released = true;
    changed.notify_all();
  }
  EXPECT_TRUE(waitForWorkers(std::chrono::seconds(30)));
  EXPECT_EQ(ran, kMaxWorkerThreads + 3);
}

TEST(WorkerThreads, WorkThatThrowsEndsQuietlyAndCountsAsEnded) {
  startDetached(WorkKind::kDatabase, [] { throw 42; });
  EXPECT_TRUE(waitForWorkers(std::chrono::seconds(10)));
}

TEST(WorkerThreads, WhatTheWorkOwnsIsFreedOnTheWorkerBeforeItCountsAsEnded) {
  struct Record {
    explicit Record(std::atomic<bool>* flag) : freed(flag) {}
    ~Record() { *freed = true; }
    std::atomic<bool>* freed;
  };
  std::atomic<bool> freed{false};
  std::atomic<bool> freedBeforeReturn{true};
  startDetached(WorkKind::kNetwork, [&, record = std::make_shared<Record>(&freed)] {
    freedBeforeReturn = freed.load();
  });
  ASSERT_TRUE(waitForWorkers(std::chrono::seconds(10)));
  EXPECT_FALSE(freedBeforeReturn.load());
  EXPECT_TRUE(freed.load());
}

}  // namespace
}  // namespace platform
