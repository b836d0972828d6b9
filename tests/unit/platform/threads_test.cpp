#include "platform/threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

namespace platform {
namespace {

void start(WorkKind kind, std::function<void()> body) {
  ASSERT_TRUE(startDetached(kind, std::move(body)).ok());
}

TEST(WorkerThreads, ABurstRunsWholeButNeverMoreThanTheLimitAtOnce) {
  constexpr int kBurst = 3000;
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
  EXPECT_LE(mostAtOnce.load(), kMaxWorkerThreads);
  EXPECT_GT(mostAtOnce.load(), 1) << "work runs side by side";
}

// Every network worker held by a peer that never answers, and more waiting:
// database and zip work still runs.
TEST(WorkerThreads, StuckWorkHoldsBackNoOtherKind) {
  std::atomic<bool> released{false};
  std::atomic<int> others{0};
  for (int i = 0; i <= kMaxWorkerThreads; ++i) {
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
