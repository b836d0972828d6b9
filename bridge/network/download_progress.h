// When a download reports progress, which percentage, and whether what
// arrived is the file asked for: the rules of ajaxToFile's progress
// callback, apart from the page so that they can be followed through
// transfers of any size.
//
// The response head brings "10". Then, for data received, at most one
// percentage per clock second: with an announced length, 10 plus 90 parts
// of the body received so far (at most 100: the engine reads no further
// than that length); without one, "5" to say that data still comes. A head
// whose status is not 2xx brings no percentage at all, nor does anything after
// it: the download is failing, and no "100" may come before its failure.
// All counts are 64-bit, so lengths and transfers past 2 GiB keep their
// percentages in order. One download, one thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "runtime/ansi_string.h"

namespace bridge::network {

class DownloadProgress {
 public:
  // `now` is the current time in whole seconds: no percentage for data is
  // given within the second the download started.
  explicit DownloadProgress(std::int64_t now) : lastReport_(now) {}

  // The response head is complete: reads its status and Content-Length.
  // 10, or nothing for a failing status.
  std::optional<int> headers(const AnsiString& headerBlock);

  // `received` bytes of the response so far, head included. The percentage
  // to report now, if any.
  std::optional<std::int64_t> read(std::int64_t received, std::int64_t now);

  // Once the server has closed the connection: why the response is not the
  // file asked for (the status line when it is not 2xx, or a short reason
  // in Polish), nothing when it is. `head` is the response's whole head.
  std::optional<std::string> failure(const AnsiString& head) const;

 private:
  std::int64_t headerSize_ = -1;     // the head's length + 4, -1 before it
  std::int64_t contentLength_ = -1;  // the announced body length, -1 without
  std::int64_t received_ = 0;
  std::int64_t lastReport_;
  bool failing_ = false;  // the status is not 2xx
};

}  // namespace bridge::network
