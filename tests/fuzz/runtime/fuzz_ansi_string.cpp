// Runs the AnsiString conversions and text operations over arbitrary bytes
// and checks their results against their definitions.
//
// Input: two bytes choosing a Substring position and count, then the text;
// the first 8 text bytes also serve as a double to format.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

#include "runtime/ansi_string.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

void CheckNumbers(const AnsiString& text) {
  bool int_ok = true;
  int value = 0;
  try {
    value = text.ToInt();
  } catch (const AnsiString& thrown) {
    Require(thrown.str() == "AnsiString::ToInt()");
    int_ok = false;
  }
  Require(text.ToIntOr(-12345) == (int_ok ? value : -12345));
  if (int_ok) Require(text.Length() > 0 && std::memchr(text.CStr(), 0, text.Length()) == nullptr);
  try {
    text.ToDouble();
  } catch (const AnsiString& thrown) {
    Require(thrown.str() == "AnsiString::ToDouble()");
    Require(!int_ok);  // every text ToInt accepts is a number for strtod too
  }
}

void CheckText(const AnsiString& text, int position, int count) {
  const std::string& bytes = text.str();
  if (position >= 1 && position <= text.Length() + 1) {
    const AnsiString piece = text.Substring(position, count);
    Require(piece.str() == (count < 0 ? "" : bytes.substr(position - 1, count)));
    const int found = text.Find(piece);
    Require(found >= 1 && found <= position);
    Require(bytes.compare(found - 1, piece.Length(), piece.str()) == 0);
  } else {
    bool threw = false;
    try {
      text.Substring(position, count);
    } catch (const std::out_of_range&) {
      threw = true;
    }
    Require(threw);
  }

  const std::string trimmed = text.Trimmed().str();
  Require(trimmed.empty() || (!IsBlank(trimmed.front()) && !IsBlank(trimmed.back())));
  Require(bytes.find(trimmed) != std::string::npos);

  const AnsiString upper = text.ToUpper();
  Require(upper.Length() == text.Length());
  Require(upper.ToUpper() == upper);
  for (int i = 1; i <= text.Length(); ++i) {
    if (text[i] >= 'a' && text[i] <= 'z') Require(upper[i] == text[i] - 32);
  }
  Require((text < upper) || (text > upper) || (text == upper));
}

void CheckFormat(double value) {
  const AnsiString text(value);
  if (std::isnan(value)) {
    Require(std::isnan(text.ToDouble()));
  } else if (std::fabs(value) < 2147483648.0) {
    Require(std::fabs(text.ToDouble() - value) <= 1e-8 * 1.5 + std::fabs(value) * 1e-15);
  } else {
    Require(text.ToDouble() == value);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2 || size > 4096) return 0;
  const int position = data[0] % 40;
  const int count = static_cast<int8_t>(data[1]);
  const AnsiString text(reinterpret_cast<const char*>(data + 2), static_cast<int>(size - 2));

  CheckNumbers(text);
  CheckText(text, position, count);
  if (size >= 10) {
    double value;
    std::memcpy(&value, data + 2, sizeof value);
    CheckFormat(value);
  }
  return 0;
}
