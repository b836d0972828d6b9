// The least a peer must send to keep its worker, followed through whole
// transfers on a clock of our own.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>

#include "bridge/network/transfer_floor.h"

namespace {

using bridge::network::TransferFloor;
using std::chrono::seconds;

const TransferFloor::Clock::time_point kStart{};

TransferFloor defaultFloor() { return TransferFloor({}, kStart); }

TEST(TransferFloor, ABytePerTwentySecondsIsEndedWhenItsFirstMinuteIsOut) {
  TransferFloor floor = defaultFloor();
  EXPECT_TRUE(floor.holds(1, kStart + seconds(20)));
  EXPECT_TRUE(floor.holds(2, kStart + seconds(40)));
  EXPECT_FALSE(floor.holds(3, kStart + seconds(60)));
}

TEST(TransferFloor, ASlowButSteadyTransferRunsForAnyLength) {
  TransferFloor floor = defaultFloor();
  for (std::int64_t second = 1; second <= 24 * 3600; ++second) {
    ASSERT_TRUE(floor.holds(20 * second, kStart + seconds(second))) << second;
  }
}

TEST(TransferFloor, EachWindowIsJudgedOnItsOwnBytes) {
  TransferFloor floor = defaultFloor();
  // A silent start, then a burst that arrives with the window's end.
  EXPECT_TRUE(floor.holds(1 << 20, kStart + seconds(59)));
  EXPECT_TRUE(floor.holds((1 << 20) + 10, kStart + seconds(61)));
  // The megabyte of the first window does not pay for the next one.
  EXPECT_TRUE(floor.holds((1 << 20) + 500, kStart + seconds(100)));
  EXPECT_FALSE(floor.holds((1 << 20) + 1000, kStart + seconds(121)));

  TransferFloor narrow({seconds(5), 10}, kStart);
  EXPECT_TRUE(narrow.holds(10, kStart + seconds(5)));
  EXPECT_FALSE(narrow.holds(19, kStart + seconds(10)));
}

}  // namespace
