// Which responses a download reports as failed.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "bridge/network/download_progress.h"

namespace {

using bridge::network::DownloadProgress;

// The failure after `head` and then `bodyBytes` bytes; "none" for success.
std::string failureOf(const std::string& head, std::int64_t bodyBytes) {
  DownloadProgress progress(0);
  progress.headers(AnsiString(head));
  progress.read(static_cast<std::int64_t>(head.size()) + 4 + bodyBytes, 1);
  return progress.failure(AnsiString(head)).value_or("none");
}

TEST(DownloadFailure, AStatusOutside2xxOrAShortBodyFails) {
  EXPECT_EQ(failureOf("HTTP/1.0 200 OK\r\nContent-Length: 5", 5), "none");
  EXPECT_EQ(failureOf("HTTP/1.0 200 OK\r\nContent-Length: 5", 9), "none") << "longer is no fault";
  EXPECT_EQ(failureOf("HTTP/1.0 404 Not Found\r\nContent-Length: 7", 7), "HTTP/1.0 404 Not Found");
  EXPECT_EQ(failureOf("HTTP/1.1 302 Found\nLocation: /x", 0), "HTTP/1.1 302 Found");
  EXPECT_EQ(failureOf("HTTP/1.0 200 OK\r\nContent-Length: 3221225472", 3221225471LL),
            "Niepełna odpowiedź [odebrano 3221225471 z 3221225472 bajtów]");
  for (const char* head : {"", "<html>", "HTTP/1.0 2000 OK", "A: 1\r\nHTTP/1.0 200 OK"}) {
    EXPECT_EQ(failureOf(head, 4), "Odpowiedź bez wiersza statusu") << head;
  }
  DownloadProgress headless(0);
  headless.read(20, 1);
  EXPECT_EQ(headless.failure("HTTP/1.0 200 OK\r\nA: 1").value_or("none"),
            "Niepełny nagłówek odpowiedzi");
}

}  // namespace
