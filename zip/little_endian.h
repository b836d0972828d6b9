// The numbers of ZIP's headers and records: unsigned, least significant
// byte first, at any alignment.
#pragma once

#include <cstdint>

inline std::uint16_t le16(const char* at) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(at);
  return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}

inline std::uint32_t le32(const char* at) {
  return le16(at) | static_cast<std::uint32_t>(le16(at + 2)) << 16;
}

inline std::uint64_t le64(const char* at) {
  return le32(at) | static_cast<std::uint64_t>(le32(at + 4)) << 32;
}
