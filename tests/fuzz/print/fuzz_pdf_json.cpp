// Reads arbitrary bytes as a print document (or, chosen by the first byte, as
// one of its nested types) and checks that the reader either returns a value
// that writes back to a text reading as the same value, or fails with one of
// the reader's own messages, and that the positional reader alone gives the
// same value or message. Any other failure, crash or read outside the input
// is a finding.
//
// Run longer by hand: build-fuzz/tests/fuzz/print/fuzz_pdf_json -max_total_time=600
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <variant>

#include "print/pdf_types.h"
#include "runtime/exception.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

const std::set<std::string>& ReaderMessages() {
  static const std::set<std::string> messages = {
      "PdfPos::fromJSON",       "PdfSize::fromJSON",     "PdfFont::fromJSON",
      "PdfText::fromJSON",      "PdfRectText::fromJSON", "PdfLine::fromJSON",
      "PdfRect::fromJSON",      "PdfPage::fromJSON",     "PdfObj::fromJSON",
      "PdfElems::fromJSON",     "PdfPages::fromJSON",    "PdfFontWeight::fromJSON",
      "PdfLineStyle::fromJSON", "PdfElem::fromJSON",     "String::FromJSON"};
  return messages;
}

// The value read, or the reader's message.
template <typename T>
std::variant<T, std::string> Reading(T (*read)(std::string_view), const AnsiString& text) {
  try {
    return read(text.str());
  } catch (const Exception& e) {
    return e.Message().str();
  }
}

template <typename T>
void RoundTrip(const AnsiString& text) {
  const std::variant<T, std::string> read = Reading<T>(T::readJSON, text);
  Require(read == Reading<T>(T::readByPosition, text));
  if (const auto* message = std::get_if<std::string>(&read)) {
    Require(ReaderMessages().count(*message) == 1);
    return;
  }
  // A value that was read holds a case in every variant, so it writes.
  const T& value = std::get<T>(read);
  const AnsiString written = value.toJSON();
  Require(T::fromJSON(written) == value);
}

}  // namespace

// Every Exception prints a line to standard output; libFuzzer reports on
// standard error, which would drown in them.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Require(std::freopen("/dev/null", "w", stdout) != nullptr);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // A copy of exactly the input, so that reading past it is caught.
  const AnsiString text(reinterpret_cast<const char*>(data) + 1, static_cast<int>(size - 1));
  switch (data[0] % 4) {
    case 0: RoundTrip<PdfObj>(text); break;
    case 1: RoundTrip<PdfElem>(text); break;
    case 2: RoundTrip<PdfElems>(text); break;
    default: RoundTrip<PdfFontWeight>(text); break;
  }
  return 0;
}
