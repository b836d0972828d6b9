// ajaxToFile's progress rules, followed through whole transfers.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "bridge/network/download_progress.h"

namespace {

using bridge::network::DownloadProgress;

constexpr std::int64_t kHeadSize = 40 + 4;

AnsiString head(const std::string& lengthLine) {
  return AnsiString("HTTP/1.0 200 OK\r\n" + lengthLine);
}

TEST(DownloadProgress, AtMostOnePercentageASecondAndNoneBeforeTheHead) {
  DownloadProgress progress(100);
  EXPECT_FALSE(progress.read(10, 105)) << "no head yet";
  EXPECT_EQ(progress.headers(head("Content-Length: 1000")), 10);
  EXPECT_FALSE(progress.read(60, 100)) << "the second the download started";
  const std::int64_t headSize = head("Content-Length: 1000").Length() + 4;
  EXPECT_EQ(progress.read(headSize + 500, 101), 55);
  EXPECT_FALSE(progress.read(headSize + 600, 101));
  EXPECT_EQ(progress.read(headSize + 1000, 102), 100);
}

TEST(DownloadProgress, WithoutALengthFiveSaysThatDataStillComes) {
  for (const char* line : {"X-Other: 1", "Content-Length: abc", "Content-Length: -4"}) {
    DownloadProgress progress(0);
    progress.headers(head(line));
    EXPECT_EQ(progress.read(100, 1), 5) << line;
    EXPECT_FALSE(progress.read(200, 1)) << line;
    EXPECT_EQ(progress.read(300, 3), 5) << line;
  }
}

// Pieces of 64 KiB, one second apart every 16 MiB: the percentages of a
// 3 GiB body rise from 10 to 100 in order, where 32-bit counts would wrap.
TEST(DownloadProgress, ThreeGibibytesRiseInOrder) {
  const std::int64_t length = std::int64_t{3} << 30;
  const AnsiString block = head("Content-Length: " + std::to_string(length));
  DownloadProgress progress(0);
  EXPECT_EQ(progress.headers(block), 10);
  const std::int64_t headSize = block.Length() + 4;
  std::vector<std::int64_t> seen;
  std::int64_t now = 0;
  for (std::int64_t received = headSize; received <= headSize + length; received += 65536) {
    if ((received - headSize) % (16 << 20) == 0) ++now;
    if (auto percent = progress.read(received, now)) seen.push_back(*percent);
  }
  ASSERT_GT(seen.size(), 150u);
  EXPECT_EQ(seen.front(), 10);
  EXPECT_EQ(seen.back(), 100);
  for (size_t i = 1; i < seen.size(); ++i) ASSERT_LE(seen[i - 1], seen[i]) << "at " << i;
}

}  // namespace
