#include "runtime/ansi_string.h"

#include <locale.h>

#include <atomic>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "runtime/range_check.h"

// Storage shared by copies. refs counts the AnsiString objects pointing here.
// shareable turns false once a writable reference to a byte has been handed
// out; copies then take their own storage instead of joining this one.
struct AnsiString::Rep {
  explicit Rep(std::string&& value) : text(std::move(value)) {}

  std::atomic<int> refs{1};
  bool shareable = true;
  std::string text;
};

namespace {

const std::string& EmptyText() {
  static const std::string empty;
  return empty;
}

// Conversions must not follow the process locale: a GUI toolkit may switch it
// to one with a decimal comma, and the texts here always use a point.
locale_t CLocale() {
  static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", locale_t{});
  return c_locale;
}

unsigned char UpperByte(unsigned char c) {
  if (c >= 0x61 && c <= 0x7A) return static_cast<unsigned char>(c - 0x20);
  switch (c) {
    case 0x9C: return 0x8C;
    case 0x9F: return 0x8F;
    case 0xB3: return 0xA3;
    case 0xB9: return 0xA5;
    case 0xBF: return 0xAF;
    case 0xE6: return 0xC6;
    case 0xEA: return 0xCA;
    case 0xF1: return 0xD1;
    case 0xF3: return 0xD3;
    default: return c;
  }
}

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

std::string ShortestRoundTrip(double value) {
  char text[64];
  auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

std::string FormatNonNegative(double x) {
  double whole = std::floor(x);
  if (!(whole <= INT_MAX)) return ShortestRoundTrip(x);  // NaN included
  long long n = static_cast<long long>(whole);
  double fraction = x - whole;
  if (fraction < 1e-8) return std::to_string(n);
  if (fraction > 0.99999999) return std::to_string(n + 1);
  // "%.8f" in the C locale: a zero, a point and eight digits.
  char digits[32];
  auto result =
      std::to_chars(digits, digits + sizeof digits, fraction, std::chars_format::fixed, 8);
  std::string tail(digits + 1, result.ptr);  // without the leading zero
  tail.erase(tail.find_last_not_of('0') + 1);
  return std::to_string(n) + tail;
}

std::string FormatDouble(double x) {
  if (x < 0) return "-" + FormatNonNegative(-x);
  return FormatNonNegative(x);
}

}  // namespace

AnsiString::AnsiString(std::string&& text)
    : rep_(text.empty() ? nullptr : new Rep(std::move(text))) {}

AnsiString::AnsiString(const char* text)
    : AnsiString(text == nullptr ? std::string() : std::string(text)) {}

AnsiString::AnsiString(const char* bytes, int count)
    : AnsiString(bytes == nullptr || count <= 0 ? std::string() : std::string(bytes, count)) {}

AnsiString::AnsiString(const std::string& text) : AnsiString(std::string(text)) {}

AnsiString::AnsiString(char byte) : AnsiString(std::string(1, byte)) {}

AnsiString::AnsiString(int value) : AnsiString(std::to_string(value)) {}

AnsiString::AnsiString(unsigned value) : AnsiString(std::to_string(value)) {}

AnsiString::AnsiString(double value) : AnsiString(FormatDouble(value)) {}

AnsiString::AnsiString(const AnsiString& other) : rep_(other.rep_) {
  if (rep_ == nullptr) return;
  if (rep_->shareable) {
    rep_->refs.fetch_add(1, std::memory_order_relaxed);
  } else {
    rep_ = new Rep(std::string(other.rep_->text));
  }
}

AnsiString::AnsiString(AnsiString&& other) noexcept : rep_(other.rep_) { other.rep_ = nullptr; }

AnsiString& AnsiString::operator=(const AnsiString& other) {
  AnsiString copy(other);
  std::swap(rep_, copy.rep_);
  return *this;
}

AnsiString& AnsiString::operator=(AnsiString&& other) noexcept {
  std::swap(rep_, other.rep_);
  return *this;
}

AnsiString& AnsiString::operator=(const char* text) { return *this = AnsiString(text); }

AnsiString& AnsiString::operator=(const std::string& text) { return *this = AnsiString(text); }

AnsiString::~AnsiString() { Release(rep_); }

void AnsiString::Release(Rep* rep) {
  if (rep != nullptr && rep->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete rep;
}

const std::string& AnsiString::str() const { return rep_ == nullptr ? EmptyText() : rep_->text; }

std::string& AnsiString::Mutable() {
  if (rep_ == nullptr) {
    rep_ = new Rep(std::string());
  } else if (rep_->refs.load(std::memory_order_acquire) != 1) {
    Rep* own = new Rep(std::string(rep_->text));
    Release(rep_);
    rep_ = own;
  }
  return rep_->text;
}

const char* AnsiString::CStr() const { return str().c_str(); }

int AnsiString::Length() const { return static_cast<int>(str().size()); }

unsigned char AnsiString::operator[](int position) const {
  CheckCallerRange(position >= 1 && position <= Length(), "AnsiString::operator[]");
  return static_cast<unsigned char>(str()[position - 1]);
}

char& AnsiString::operator[](int position) {
  CheckCallerRange(position >= 1 && position <= Length(), "AnsiString::operator[]");
  std::string& text = Mutable();
  rep_->shareable = false;
  return text[position - 1];
}

AnsiString AnsiString::operator+(const AnsiString& other) const {
  return AnsiString(str() + other.str());
}

AnsiString& AnsiString::operator+=(const AnsiString& other) {
  if (other.rep_ == nullptr) return *this;
  if (rep_ == nullptr) return *this = other;
  // Copy first: other may share our storage, which Mutable may replace.
  AnsiString tail(other);
  Mutable() += tail.str();
  return *this;
}

AnsiString AnsiString::Trimmed() const {
  const std::string& text = str();
  size_t first = 0;
  while (first < text.size() && IsBlank(text[first])) ++first;
  size_t end = text.size();
  while (end > first && IsBlank(text[end - 1])) --end;
  return AnsiString(text.substr(first, end - first));
}

AnsiString AnsiString::ToUpper() const {
  std::string text = str();
  for (char& c : text) c = static_cast<char>(UpperByte(static_cast<unsigned char>(c)));
  return AnsiString(std::move(text));
}

int AnsiString::Find(const AnsiString& needle) const {
  size_t at = str().find(needle.str());
  return at == std::string::npos ? 0 : static_cast<int>(at) + 1;
}

bool AnsiString::operator==(const AnsiString& other) const {
  return rep_ == other.rep_ || str() == other.str();
}

bool AnsiString::operator!=(const AnsiString& other) const { return !(*this == other); }

// std::string compares through char_traits<char>, whose order is that of
// unsigned char, as this type promises.
bool AnsiString::operator<(const AnsiString& other) const { return str() < other.str(); }

bool AnsiString::operator>(const AnsiString& other) const { return other < *this; }

AnsiString AnsiString::Substring(int position, int count) const {
  if (position < 1) throw std::out_of_range("AnsiString::Substring");
  // std::string::substr throws std::out_of_range past Length + 1.
  return AnsiString(
      str().substr(static_cast<size_t>(position) - 1, count < 0 ? 0 : static_cast<size_t>(count)));
}

int AnsiString::ToInt() const {
  const std::string& text = str();
  char* end = nullptr;
  long value = strtol_l(text.c_str(), &end, 10, CLocale());
  if (text.empty() || end != text.c_str() + text.size()) {
    throw AnsiString("AnsiString::ToInt()");
  }
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

int AnsiString::ToIntOr(int fallback) const {
  try {
    return ToInt();
  } catch (...) {
    return fallback;
  }
}

double AnsiString::ToDouble() const {
  const std::string& text = str();
  char* end = nullptr;
  double value = strtod_l(text.c_str(), &end, CLocale());
  if (text.empty() || end != text.c_str() + text.size()) {
    throw AnsiString("AnsiString::ToDouble()");
  }
  return value;
}

AnsiString operator+(const char* left, const AnsiString& right) { return AnsiString(left) + right; }
