// Which responses a download reports as failed, and that no "100" comes
// before such a failure.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "bridge/network/download_progress.h"

namespace {

using bridge::network::DownloadProgress;
using bridge::network::statusLine;

// The failure after a whole response of `head`, then `bodyBytes` bytes.
std::string failureOf(const std::string& head, std::int64_t bodyBytes) {
  DownloadProgress progress(0);
  const std::int64_t headSize = static_cast<std::int64_t>(head.size()) + 4;
  progress.headers(AnsiString(head));
  progress.read(headSize + bodyBytes, 1);
  return progress.failure(AnsiString(head)).value_or("none");
}

TEST(DownloadFailure, StatusLinesAreReadFromTheFirstLineOnly) {
  EXPECT_EQ(statusLine("HTTP/1.0 404 Not Found\r\nA: 1"), "HTTP/1.0 404 Not Found");
  EXPECT_EQ(statusLine("HTTP/1.1 200"), "HTTP/1.1 200");
  EXPECT_EQ(statusLine("HTTP/1.0 200 OK\nA: 1"), "HTTP/1.0 200 OK");
  EXPECT_FALSE(statusLine(""));
  EXPECT_FALSE(statusLine("<html>"));
  EXPECT_FALSE(statusLine("HTTP/1.0 20"));
  EXPECT_FALSE(statusLine("HTTP/1.0 2000 OK"));
  EXPECT_FALSE(statusLine("A: 1\r\nHTTP/1.0 200 OK"));
}

TEST(DownloadFailure, AStatusOutside2xxOrAShortBodyFails) {
  EXPECT_EQ(failureOf("HTTP/1.0 200 OK\r\nContent-Length: 5", 5), "none");
  EXPECT_EQ(failureOf("HTTP/1.0 204 No Content", 0), "none");
  EXPECT_EQ(failureOf("HTTP/1.0 200 OK\r\nContent-Length: 5", 9), "none") << "longer is no fault";
  EXPECT_EQ(failureOf("HTTP/1.0 404 Not Found\r\nContent-Length: 7", 7), "HTTP/1.0 404 Not Found");
  EXPECT_EQ(failureOf("HTTP/1.1 302 Found\r\nLocation: /x", 0), "HTTP/1.1 302 Found");
  EXPECT_EQ(failureOf("HTTP/1.0 500 Internal Server Error", 10),
            "HTTP/1.0 500 Internal Server Error");
  EXPECT_EQ(failureOf("HTTP/1.0 200 OK\r\nContent-Length: 3221225472", 3221225471LL),
            "Niepełna odpowiedź [odebrano 3221225471 z 3221225472 bajtów]");
  EXPECT_EQ(failureOf("junk", 4), "Odpowiedź bez wiersza statusu");

  DownloadProgress headless(0);
  headless.read(20, 1);
  EXPECT_EQ(headless.failure("HTTP/1.0 200 OK\r\nA: 1").value_or("none"),
            "Niepełny nagłówek odpowiedzi");
}

// A failing response's own length would bring the percentages to 100.
TEST(DownloadFailure, AFailingStatusReportsNoPercentage) {
  const AnsiString head("HTTP/1.0 404 Not Found\r\nContent-Length: 7");
  DownloadProgress progress(0);
  EXPECT_FALSE(progress.headers(head));
  EXPECT_FALSE(progress.read(head.Length() + 4 + 7, 1));
  EXPECT_FALSE(progress.read(head.Length() + 4 + 7, 5));
}

}  // namespace
