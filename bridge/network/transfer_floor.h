// The least a peer must send to keep its worker.
//
// The time limit of each wait ends a peer that falls silent, but not one
// that sends a byte now and then: such a peer would hold its worker, and so
// every network command waiting for one, as long as it liked. A transfer is
// therefore ended once a window of the rule's length has passed in which
// fewer than the rule's bytes came. The default, 1024 bytes a minute, is 17
// bytes a second: no link that delivers at all delivers less, so a slow but
// progressing download runs to its end, however large.
//
// Windows follow one another from the transfer's start; a window is judged
// at the first arrival after its end, that arrival counted in it. Plain C++;
// one transfer, one thread.
#pragma once

#include <chrono>
#include <cstdint>

namespace bridge::network {

struct FloorRule {
  std::chrono::seconds window{60};
  std::int64_t bytes = 1024;
};

class TransferFloor {
 public:
  using Clock = std::chrono::steady_clock;

  TransferFloor(FloorRule rule, Clock::time_point start) : rule_(rule), windowStart_(start) {}

  // `total` bytes have come by `now`. False once a window has ended with
  // fewer than the rule's bytes in it: the transfer is to end.
  bool holds(std::int64_t total, Clock::time_point now) {
    if (now - windowStart_ < rule_.window) return true;
    if (total - totalAtStart_ < rule_.bytes) return false;
    windowStart_ = now;
    totalAtStart_ = total;
    return true;
  }

 private:
  FloorRule rule_;
  Clock::time_point windowStart_;
  std::int64_t totalAtStart_ = 0;
};

}  // namespace bridge::network
