// Decodes arbitrary text and encodes arbitrary bytes; the sanitizers watch
// memory, the checks below watch the results.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "runtime/base64.h"

namespace {

bool IsSymbol(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
         c == '/';
}

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1 << 20)) return 0;
  const std::string input(reinterpret_cast<const char*>(data), size);

  const AnsiString decoded = Base64Decode(AnsiString(input));
  size_t symbols = 0;
  while (symbols < input.size() && IsSymbol(input[symbols])) ++symbols;
  const size_t tail = symbols % 4;
  Require(static_cast<size_t>(decoded.Length()) == symbols / 4 * 3 + (tail ? tail - 1 : 0));
  Require(Base64Decode(Base64Encode(decoded)) == decoded);
  const Binary binary = Base64DecodeBinary(AnsiString(input));
  Require(binary.Size() == decoded.Length());
  Require(binary.Size() == 0 || std::memcmp(binary.Data(), decoded.CStr(), binary.Size()) == 0);

  const AnsiString encoded = Base64Encode(input.data(), static_cast<int>(input.size()));
  Require(static_cast<size_t>(encoded.Length()) == (input.size() + 2) / 3 * 4);
  Require(Base64Decode(encoded).str() == input);
  return 0;
}
