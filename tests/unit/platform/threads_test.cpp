#include "platform/threads.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace platform {
namespace {

TEST(WorkerThreads, ABurstRunsWholeButNeverMoreThanTheLimitAtOnce) {
  constexpr int kBurst = 3000;
  std::atomic<int> running{0};
  std::atomic<int> mostAtOnce{0};
  std::atomic<int> done{0};
  for (int i = 0; i < kBurst; ++i) {
    startDetached([&] {
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

TEST(WorkerThreads, WorkThatThrowsEndsQuietlyAndCountsAsEnded) {
  startDetached([] { throw 42; });
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
  startThread([&](std::unique_ptr<Record>) { freedBeforeReturn = freed.load(); },
              std::make_unique<Record>(&freed));
  ASSERT_TRUE(waitForWorkers(std::chrono::seconds(10)));
  EXPECT_FALSE(freedBeforeReturn.load());
  EXPECT_TRUE(freed.load());
}

}  // namespace
}  // namespace platform
