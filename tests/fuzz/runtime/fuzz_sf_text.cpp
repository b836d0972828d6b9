// Parses arbitrary bytes as SF text and as a SimpleData tree. Malformed text
// may only end in the runtime's own failures; whatever parses must write back
// to a text that parses to the same value.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "runtime/exception.h"
#include "runtime/sf_parse.h"
#include "runtime/simple_data_sf.h"
#include "tests/fuzz/quiet_stdout.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

// Parses the text; a value must write back to a text that parses to the
// same value. The runtime's failures are answers; anything else escapes and
// crashes the fuzzer.
template <typename Value>
void CheckRoundTrip(Option<Value> (*parse)(const AnsiString&), const AnsiString& text) {
  try {
    Option<Value> value = parse(text);
    if (value.isNone()) return;
    const AnsiString written = value.asValue().toString();
    Option<Value> again = parse(written);
    Require(again.isValue() && again.asValue().toString() == written);
  } catch (const Exception&) {
  } catch (const AnsiString& thrown) {
    Require(thrown.str() == "AnsiString::ToInt()");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1 << 20)) return 0;
  const AnsiString text(reinterpret_cast<const char*>(data), static_cast<int>(size));
  CheckRoundTrip(parseSFText, text);
  CheckRoundTrip(parseSimpleData, text);
  return 0;
}
