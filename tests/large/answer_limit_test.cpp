// The largest answer a page is handed, through the real binary: hundreds of
// megabytes in each of the shell's and the engine's processes.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>

#include "tests/support/page_runner.h"

namespace {

// The limit both engines carry (kMaxAnswerBytes), and what a whole file's
// answer adds around its content: [\n   "OK",\n   "...content..."\n]\n.
constexpr std::size_t kLimit = 536869888;
constexpr std::size_t kFraming = 19;

void writeLetters(const std::string& path, std::size_t size) {
  std::ofstream out(path, std::ios::binary);
  const std::string piece(1 << 20, 'a');
  for (std::size_t left = size; left > 0;) {
    const std::size_t now = std::min(left, piece.size());
    out.write(piece.data(), static_cast<std::streamsize>(now));
    left -= now;
  }
}

TEST(AnswerLimit, TheLargestAnswerArrivesWholeAndOneByteMoreIsAnError) {
  e2e::RunOptions options;
  options.setUp = [](const std::string& directory) {
    writeLetters(directory + "/at-limit.txt", kLimit - kFraming);
    writeLetters(directory + "/past-limit.txt", kLimit - kFraming + 1);
  };
  options.timeout = std::chrono::seconds(110);  // inside ctest's 120 s, to be told why
  const e2e::PageRun run = e2e::runPage("answer_limit.html", options);
  EXPECT_EQ(e2e::failureReport(run), "");
}

}  // namespace
