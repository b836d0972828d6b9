// What an asynchronous command answers when its kind's queue is full.
#include "bridge/worker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "bridge/protocol/cmd_exception.h"

namespace bridge {
namespace {

using platform::WorkKind;

// "taken", or the message the work was refused with.
std::string startZipWork(std::size_t heldBytes) {
  try {
    runWorker(
        WorkKind::kZip, WorkerChannel(nullptr, "u1", "unzipToFile"), [](const WorkerChannel&) {},
        errorRecord, nullptr, heldBytes);
  } catch (const CmdException& refused) {
    return refused.message();
  }
  return "taken";
}

// Every ZIP worker busy: waiting work is taken up to the queue's bytes and
// count, and past them refused at once with the reason.
TEST(RunWorker, ZipWorkPastTheQueuesBoundsIsRefusedWithItsReason) {
  const platform::WorkLimits limits = platform::workLimits(WorkKind::kZip);
  ASSERT_LT(limits.queued, 100000u) << "the queue has a bound";
  std::atomic<bool> released{false};
  for (int i = 0; i < limits.workers; ++i) {
    ASSERT_TRUE(platform::startDetached(WorkKind::kZip, [&released] {
                  for (int wait = 0; wait < 3000 && !released; ++wait) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                  }
                }).ok());
  }
  EXPECT_EQ(startZipWork(limits.queuedBytes), "taken");
  EXPECT_EQ(startZipWork(1), "too much data waiting for ZIP commands [more than 67108864 bytes]");
  for (std::size_t i = 1; i < limits.queued; ++i) ASSERT_EQ(startZipWork(0), "taken") << i;
  EXPECT_EQ(startZipWork(0), "too many ZIP commands at once [64 running and 256 waiting]");
  released = true;
  EXPECT_TRUE(platform::waitForWorkers(std::chrono::seconds(60)));
}

}  // namespace
}  // namespace bridge
