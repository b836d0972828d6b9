// Parses arbitrary bytes as SF text and as a SimpleData tree. Malformed text
// may only end in the runtime's own failures; whatever parses must write back
// to a text that parses to the same value; and parseSimpleData, which reads
// well-formed text on a direct path, must end exactly as parseSFText followed
// by fromSFData does.
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

// How a reading ends, as text: the value written back, "none", or the
// failure. Anything but the runtime's failures escapes and crashes the
// fuzzer.
template <typename Read>
std::string Outcome(Read read) {
  try {
    const auto value = read();
    return value.isNone() ? "none" : "value " + value.asValue().toString().str();
  } catch (const Exception& e) {
    return "Exception " + e.Message().str();
  } catch (const AnsiString& thrown) {
    Require(thrown.str() == "AnsiString::ToInt()");
    return "AnsiString " + thrown.str();
  }
}

// parseSimpleData by its definition, from what parseSFText read: every tree
// node is an allocation of its own, and reading the text once more would
// cost a fifth of each run.
Option<SimpleData> SecondStep(const Option<SFData>& value) {
  if (value.isNone()) return Option<SimpleData>();
  try {
    return Option<SimpleData>(fromSFData(value.asValue()));
  } catch (const SimpleDataException&) {
    return Option<SimpleData>();
  }
}

// A value's written text must read back to the same value.
template <typename Parse>
void CheckRereads(Parse parse, const std::string& outcome) {
  const std::string prefix = "value ";
  if (outcome.compare(0, prefix.size(), prefix) != 0) return;
  const AnsiString written(outcome.substr(prefix.size()));
  Require(Outcome([&] { return parse(written); }) == outcome);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1 << 20)) return 0;
  const AnsiString text(reinterpret_cast<const char*>(data), static_cast<int>(size));
  Option<SFData> read;
  bool readEnded = false;
  const std::string sf = Outcome([&] {
    read = parseSFText(text);
    readEnded = true;
    return read;
  });
  CheckRereads(parseSFText, sf);
  const std::string tree = Outcome([&] { return parseSimpleData(text); });
  // Where parseSFText threw, the two steps end with the same throw.
  Require(tree == (readEnded ? Outcome([&] { return SecondStep(read); }) : sf));
  CheckRereads(parseSimpleData, tree);
  return 0;
}
