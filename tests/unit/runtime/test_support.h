#pragma once

#include <string>

#include "runtime/binary.h"
#include "runtime/exception.h"

// The message of the Exception that action throws, or "<nothing thrown>".
template <typename Action>
std::string ExceptionMessage(Action action) {
  try {
    action();
  } catch (const Exception& e) {
    return e.Message().str();
  }
  return "<nothing thrown>";
}

// Counts live instances, so tests can see that containers neither leak nor
// delete twice, and how often values are copied.
struct Tracked {
  inline static int live = 0;
  inline static int copies = 0;

  explicit Tracked(int v) : value(v) { ++live; }
  Tracked(const Tracked& other) : value(other.value) { ++live, ++copies; }
  Tracked& operator=(const Tracked& other) = default;
  virtual ~Tracked() { --live; }

  int value;
};

inline std::string Bytes(const Binary& binary) {
  return std::string(binary.Data() == nullptr ? "" : binary.Data(), binary.Size());
}

inline Binary BinaryOf(const std::string& bytes) {
  return Binary(bytes.data(), static_cast<int>(bytes.size()));
}
