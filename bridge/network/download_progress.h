// When a download reports progress, and which percentage: the rules of
// ajaxToFile's progress callback, apart from the page so that they can be
// followed through transfers of any size.
//
// The response head brings "10". Then, for data received, at most one
// percentage per clock second: with an announced length, 10 plus 90 parts
// of the body received so far (more than 100 when the body outgrows its
// length); without one, "5" to say that data still comes. All counts are
// 64-bit, so lengths and transfers past 2 GiB keep their percentages in
// order. One download, one thread.
#pragma once

#include <cstdint>
#include <optional>

#include "runtime/ansi_string.h"

namespace bridge::network {

class DownloadProgress {
 public:
  // `now` is the current time in whole seconds: no percentage for data is
  // given within the second the download started.
  explicit DownloadProgress(std::int64_t now) : lastReport_(now) {}

  // The response head is complete: reads its Content-Length, returns 10.
  int headers(const AnsiString& headerBlock);

  // `received` bytes of the response so far, head included. The percentage
  // to report now, if any.
  std::optional<std::int64_t> read(std::int64_t received, std::int64_t now);

 private:
  std::int64_t headerSize_ = -1;     // the head's length + 4, -1 before it
  std::int64_t contentLength_ = -1;  // the announced body length, -1 without
  std::int64_t lastReport_;
};

// A Content-Length value: decimal, a sign and surrounding blanks allowed,
// the whole text converted; -1 for anything else.
std::int64_t parseLength(const AnsiString& text);

}  // namespace bridge::network
