// Reads an HttpResult from arbitrary bytes, once as its binary form and once
// as the SF text of its SimpleData form. Bad input may only end in the
// runtime's own failures; whatever reads must write back to the same value.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "http/http_types.h"
#include "runtime/exception.h"
#include "runtime/little_endian_io.h"
#include "runtime/simple_data_sf.h"
#include "tests/fuzz/quiet_stdout.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

void CheckBinary(const Binary& bytes) {
  LEBinaryReader reader(bytes);
  HttpResult result;
  try {
    result = HttpResult::fromBinary(reader);
  } catch (const Exception&) {
    return;
  }
  LEBinaryWriter writer;
  result.toBinary(writer);
  LEBinaryReader again(writer.ToBinary());
  Require(HttpResult::fromBinary(again) == result && again.AtEnd());
}

void CheckTree(const AnsiString& text) {
  HttpResult result;
  try {
    const Option<SimpleData> tree = parseSimpleData(text);
    if (tree.isNone()) return;
    result = HttpResult::fromSimpleData(tree.asValue());
  } catch (const Exception&) {
    return;
  } catch (const AnsiString& thrown) {
    Require(thrown.str() == "AnsiString::ToInt()");
    return;
  }
  Require(HttpResult::fromSimpleData(result.toSimpleData()) == result);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1 << 20)) return 0;
  const char* bytes = reinterpret_cast<const char*>(data);
  CheckBinary(Binary(bytes, static_cast<int>(size)));
  CheckTree(AnsiString(bytes, static_cast<int>(size)));
  return 0;
}
