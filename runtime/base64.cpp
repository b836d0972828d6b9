#include "runtime/base64.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The two symbols of every 12-bit value: a group of three bytes is written
// with two lookups instead of four.
struct PairTable {
  constexpr PairTable() : pair() {
    for (int value = 0; value < 4096; ++value) {
      pair[value][0] = kAlphabet[value >> 6];
      pair[value][1] = kAlphabet[value & 63];
    }
  }
  char pair[4096][2];
};

constexpr PairTable kPairs;

constexpr int kNotASymbol = -1;

// Symbol value of every byte, kNotASymbol outside the alphabet.
struct DecodeTable {
  constexpr DecodeTable() : value() {
    for (int& v : value) v = kNotASymbol;
    for (int i = 0; i < 64; ++i) value[static_cast<unsigned char>(kAlphabet[i])] = i;
  }
  int value[256];
};

constexpr DecodeTable kDecode;

int SymbolValue(char c) { return kDecode.value[static_cast<unsigned char>(c)]; }

// The eight bytes at `p` as one big-endian number: its top 48 bits are two
// groups of three bytes.
uint64_t BigEndian64(const unsigned char* p) {
  uint64_t word;
  std::memcpy(&word, p, sizeof word);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  return __builtin_bswap64(word);
#else
  return word;
#endif
}

}  // namespace

size_t Base64EncodedLength(size_t count) { return (count + 2) / 3 * 4; }

void Base64EncodeInto(std::string_view bytes, char* o) {
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t n = bytes.size();
  size_t i = 0;
  // Twelve bytes a step through two eight-byte loads, while a whole load
  // stays inside the bytes.
  for (; i + 16 <= n; i += 12, o += 16) {
    const uint64_t first = BigEndian64(in + i);
    const uint64_t second = BigEndian64(in + i + 6);
    std::memcpy(o, kPairs.pair[first >> 52], 2);
    std::memcpy(o + 2, kPairs.pair[first >> 40 & 0xFFF], 2);
    std::memcpy(o + 4, kPairs.pair[first >> 28 & 0xFFF], 2);
    std::memcpy(o + 6, kPairs.pair[first >> 16 & 0xFFF], 2);
    std::memcpy(o + 8, kPairs.pair[second >> 52], 2);
    std::memcpy(o + 10, kPairs.pair[second >> 40 & 0xFFF], 2);
    std::memcpy(o + 12, kPairs.pair[second >> 28 & 0xFFF], 2);
    std::memcpy(o + 14, kPairs.pair[second >> 16 & 0xFFF], 2);
  }
  for (; i + 3 <= n; i += 3, o += 4) {
    const uint32_t group = in[i] << 16 | in[i + 1] << 8 | in[i + 2];
    std::memcpy(o, kPairs.pair[group >> 12], 2);
    std::memcpy(o + 2, kPairs.pair[group & 0xFFF], 2);
  }
  if (i < n) {  // 1 or 2 bytes left
    const uint32_t group = in[i] << 16 | (i + 1 < n ? in[i + 1] << 8 : 0);
    o[0] = kAlphabet[group >> 18];
    o[1] = kAlphabet[group >> 12 & 63];
    o[2] = i + 1 < n ? kAlphabet[group >> 6 & 63] : '=';
    o[3] = '=';
  }
}

std::string Base64EncodeBytes(std::string_view bytes) {
  std::string out(Base64EncodedLength(bytes.size()), '\0');
  Base64EncodeInto(bytes, &out[0]);
  return out;
}

AnsiString Base64Encode(const char* bytes, int count) {
  if (bytes == nullptr || count <= 0) return AnsiString();
  return AnsiString(Base64EncodeBytes(std::string_view(bytes, static_cast<size_t>(count))));
}

AnsiString Base64Encode(const AnsiString& text) { return Base64Encode(text.CStr(), text.Length()); }

AnsiString Base64Encode(const Binary& binary) { return Base64Encode(binary.Data(), binary.Size()); }

AnsiString Base64Decode(const AnsiString& text) {
  const std::string& in = text.str();
  size_t symbols = 0;
  while (symbols < in.size() && SymbolValue(in[symbols]) != kNotASymbol) ++symbols;

  const size_t tail = symbols % 4;
  std::string out(symbols / 4 * 3 + (tail == 0 ? 0 : tail - 1), '\0');
  char* o = &out[0];
  size_t i = 0;
  for (; i + 4 <= symbols; i += 4, o += 3) {
    const uint32_t group = SymbolValue(in[i]) << 18 | SymbolValue(in[i + 1]) << 12 |
                           SymbolValue(in[i + 2]) << 6 | SymbolValue(in[i + 3]);
    o[0] = static_cast<char>(group >> 16);
    o[1] = static_cast<char>(group >> 8);
    o[2] = static_cast<char>(group);
  }
  if (tail >= 2) {
    const uint32_t group = SymbolValue(in[i]) << 18 | SymbolValue(in[i + 1]) << 12 |
                           (tail == 3 ? SymbolValue(in[i + 2]) << 6 : 0);
    o[0] = static_cast<char>(group >> 16);
    if (tail == 3) o[1] = static_cast<char>(group >> 8);
  }
  return AnsiString(std::move(out));
}

Binary Base64DecodeBinary(const AnsiString& text) {
  const AnsiString bytes = Base64Decode(text);
  return Binary(bytes.CStr(), bytes.Length());
}
