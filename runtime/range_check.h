#pragma once

#include <cassert>
#include <stdexcept>

// Guards a position or range whose validity is the caller's duty. A debug
// build stops at the faulty call; a release build refuses it with
// std::out_of_range instead of touching memory outside the storage. The
// check is one predictable branch, so hot paths stay fast.
inline void CheckCallerRange(bool in_range, const char* operation) {
  assert(in_range && "position outside the storage");
  if (!in_range) throw std::out_of_range(operation);
}
