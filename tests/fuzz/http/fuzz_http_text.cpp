// URL parsing and header lookup on any bytes.
//
// Input: a header name up to the first zero byte, then a header block; the
// whole input is also read as a URL. Checks what must hold whatever the
// bytes: the resource starts with '/', a found header value is trimmed and
// occurs in the block.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "http/header_value.h"
#include "http/url.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const HttpAddr addr = parseUrl(input);
  require(addr.resource().Length() >= 1 && addr.resource()[1] == '/');
  require(addr.host().Find("/") == 0);

  const std::size_t zero = input.find('\0');
  if (zero == std::string::npos) return 0;
  const AnsiString name = input.substr(0, zero);
  const AnsiString block = input.substr(zero + 1);
  const AnsiString value = headerValue(block, name);
  require(value == value.Trimmed());
  require(value.Length() == 0 || block.Find(value) > 0);
  return 0;
}
