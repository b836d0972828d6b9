// Callback records that pile up past what the script engine takes as one
// text (2^29 UTF-16 units), through the build's real engine: a single
// script of them all did not run, and every record was lost.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "bridge/callback.h"
#include "tests/support/qt_page.h"

namespace {

TEST(RecordsPastTheScriptLimit, HundredsOfMegabytesOfRecordsArriveWhole) {
  support::TestView view(
      "<script>var count = 0, total = 0;"
      "function WebBrowserUtil_callback(r) { count++; total += r[3].length; }</script>");
  const int records = 560;
  std::thread([&view] {
    const std::string mebibyte(1 << 20, 'x');
    for (int i = 0; i < records; ++i) {
      bridge::deliverCallback(&view.view(), {"big", "pass", "progress", mebibyte});
    }
  }).join();
  ASSERT_TRUE(support::waitForScript(view.view(), QStringLiteral("count == %1").arg(records),
                                     std::chrono::seconds(100)));
  EXPECT_EQ(support::evaluate(view.view(), QStringLiteral("total")).toDouble(),
            records * double(1 << 20));
}

}  // namespace
