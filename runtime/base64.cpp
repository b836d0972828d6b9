#include "runtime/base64.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define PAGESHELL_BASE64_SSSE3 1
#endif

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

#if defined(PAGESHELL_BASE64_SSSE3)
// Encodes twelve bytes a step in vector registers, on processors with SSSE3
// (nearly every x86-64 one), twice as fast as the table at its best. Each
// group of three bytes is spread over four as [b1 b0 b2 b1], which leaves
// its four 6-bit values in 16-bit halves where one multiplication each moves
// them to the low bits of their own byte; a value becomes its symbol by
// adding the distance between the two, looked up by the value's range.
// Returns the count of bytes encoded, a multiple of 12: a step loads sixteen,
// so up to fifteen are left.
__attribute__((target("ssse3"))) size_t EncodeInVectors(const unsigned char* in, size_t n,
                                                        char* out) {
  const __m128i spread = _mm_set_epi8(10, 11, 9, 10, 7, 8, 6, 7, 4, 5, 3, 4, 1, 2, 0, 1);
  const __m128i distances =
      _mm_setr_epi8('a' - 26, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52,
                    '0' - 52, '0' - 52, '0' - 52, '+' - 62, '/' - 63, 'A', 0, 0);
  size_t i = 0;
  for (; i + 16 <= n; i += 12, out += 16) {
    const __m128i lanes =
        _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i)), spread);
    const __m128i firstAndThird = _mm_mulhi_epu16(_mm_and_si128(lanes, _mm_set1_epi32(0x0FC0FC00)),
                                                  _mm_set1_epi32(0x04000040));
    const __m128i secondAndFourth = _mm_mullo_epi16(
        _mm_and_si128(lanes, _mm_set1_epi32(0x003F03F0)), _mm_set1_epi32(0x01000010));
    const __m128i values = _mm_or_si128(firstAndThird, secondAndFourth);
    // The range: 0 for 26..51, 1..12 for 52..63, 13 for 0..25.
    __m128i range = _mm_subs_epu8(values, _mm_set1_epi8(51));
    const __m128i capital = _mm_cmpgt_epi8(_mm_set1_epi8(26), values);
    range = _mm_or_si128(range, _mm_and_si128(capital, _mm_set1_epi8(13)));
    const __m128i symbols = _mm_add_epi8(values, _mm_shuffle_epi8(distances, range));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), symbols);
  }
  return i;
}

bool HasVectorEncoding() {
  static const bool has = __builtin_cpu_supports("ssse3");
  return has;
}
#endif

}  // namespace

size_t Base64EncodedLength(size_t count) { return (count + 2) / 3 * 4; }

void Base64EncodeInto(std::string_view bytes, char* o) {
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t n = bytes.size();
  size_t i = 0;
#if defined(PAGESHELL_BASE64_SSSE3)
  if (HasVectorEncoding()) {
    i = EncodeInVectors(in, n, o);
    o += i / 3 * 4;
  }
#endif
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
