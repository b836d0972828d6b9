#include "print/json_form.h"

#include <cstring>
#include <string>

#include "runtime/exception.h"

namespace json_form {
namespace {

constexpr std::size_t npos = std::string_view::npos;

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The four hexadecimal digits after "\u" at `at`, or -1.
long unicodeEscape(std::string_view text, std::size_t at) {
  if (at + 6 > text.size() || text[at] != '\\' || text[at + 1] != 'u') return -1;
  long code = 0;
  for (std::size_t k = at + 2; k < at + 6; ++k) {
    const int digit = hexDigit(text[k]);
    if (digit < 0) return -1;
    code = code * 16 + digit;
  }
  return code;
}

void appendUtf8(std::string& out, unsigned long code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

constexpr unsigned long kReplacementCharacter = 0xFFFD;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The length of the JSON number that starts `text`, or 0 when none does:
// -?(0|[1-9][0-9]*)(.[0-9]+)?([eE][+-]?[0-9]+)?
std::size_t numberLength(std::string_view text) {
  std::size_t k = 0;
  auto digits = [&] {
    const std::size_t first = k;
    while (k < text.size() && isDigit(text[k])) ++k;
    return k > first;
  };
  if (k < text.size() && text[k] == '-') ++k;
  if (k < text.size() && text[k] == '0') {
    ++k;
  } else if (!digits()) {
    return 0;
  }
  if (k < text.size() && text[k] == '.') {
    ++k;
    if (!digits()) return 0;
  }
  if (k < text.size() && (text[k] == 'e' || text[k] == 'E')) {
    ++k;
    if (k < text.size() && (text[k] == '+' || text[k] == '-')) ++k;
    if (!digits()) return 0;
  }
  return k;
}

// Decodes the \u escape at `at` (which holds `code`) and any low surrogate
// that completes it; returns the number of bytes used.
std::size_t decodeUnicode(std::string_view text, std::size_t at, long code, std::string& out) {
  if (code >= 0xD800 && code <= 0xDBFF) {
    const long low = unicodeEscape(text, at + 6);
    if (low >= 0xDC00 && low <= 0xDFFF) {
      appendUtf8(out, 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00));
      return 12;
    }
    appendUtf8(out, kReplacementCharacter);
    return 6;
  }
  appendUtf8(out, code >= 0xDC00 && code <= 0xDFFF ? kReplacementCharacter : code);
  return 6;
}

char simpleEscape(char c) {
  switch (c) {
    case 'n': return '\n';
    case 'r': return '\r';
    case 't': return '\t';
    case 'b': return '\b';
    case 'f': return '\f';
    case '\\': return '\\';
    case '"': return '"';
    case '/': return '/';
    default: return 0;
  }
}

std::size_t findColon(std::string_view json, const char* failure) {
  const std::size_t colon = json.find(':');
  if (colon == npos) throw Exception(failure);
  return colon;
}

// The first key of {"name":...} without its quotes, for a colon at index
// `colon`; the key must hold at least one byte.
std::string_view caseName(std::string_view json, std::size_t colon, const char* failure) {
  if (colon < 4) throw Exception(failure);
  return json.substr(2, colon - 3);
}

// The index of the case called `name`, or -1.
int caseNamed(std::string_view name, const char* const names[], int count) {
  for (int i = 0; i < count; ++i) {
    if (name == names[i]) return i;
  }
  return -1;
}

int caseIndex(std::string_view name, const char* const names[], int count, const char* failure) {
  const int index = caseNamed(name, names, count);
  if (index < 0) throw Exception(failure);
  return index;
}

// The one-digit tag right after the colon when the index form is present
// (the digit must be followed by more than one byte), or -1.
int indexFormTag(std::string_view json, std::size_t colon, int count) {
  if (colon + 3 >= json.size()) return -1;
  const int digit = json[colon + 1] - '0';
  return digit >= 0 && digit < count ? digit : -1;
}

// What readBareCase returns, or -1 where it fails.
int bareCase(std::string_view json, const char* const names[], int count) {
  const std::size_t colon = json.find(':');
  if (colon == npos) return -1;
  const int tag = indexFormTag(json, colon, count);
  if (tag >= 0) return tag;
  if (colon < 4) return -1;
  return caseNamed(json.substr(2, colon - 3), names, count);
}

void openCase(StringBuffer& out, int kind, int count, const char* failurePrefix) {
  if (kind < 0 || kind >= count) {
    throw Exception(AnsiString(failurePrefix) + AnsiString(kind) + AnsiString(")"));
  }
  appendLiteral(out, "{\"type\":");
  out.AppendChar(static_cast<char>('0' + kind));
  appendLiteral(out, ",\"value\":");
}

}  // namespace

std::size_t scanValue(std::string_view text, std::size_t from) {
  const char* const data = text.data();
  const std::size_t size = text.size();
  long long depth = 0;
  for (std::size_t j = from; j < size; ++j) {
    const char c = data[j];
    if (c == '\\') {
      ++j;  // the escaped byte is not examined
      continue;
    }
    if (c == '"') {
      // Inside a string only an escape counts until the closing quote; the
      // document's texts are most of its bytes, so they are passed in one go.
      for (++j;; j += 2) {  // an escape and the byte it escapes
        while (j < size && data[j] != '"' && data[j] != '\\') ++j;
        if (j >= size) return npos;
        if (data[j] == '"') break;
      }
      if (depth <= 0 && j == size - 1) return j;
      continue;
    }
    if (c == '[' || c == '{') {
      ++depth;
    } else if (c == ']' || c == '}') {
      --depth;
    }
    if (depth <= 0 && (c == ',' || j == size - 1)) return j;
  }
  return npos;
}

void splitFields(std::string_view json, std::string_view* fields, int count, const char* failure) {
  std::size_t position = 0;
  for (int k = 0; k < count; ++k) {
    const std::size_t colon = json.find(':', position);
    if (colon == npos) throw Exception(failure);
    const std::size_t end = scanValue(json, colon);
    if (end == npos) {
      fields[k] = std::string_view();
      position = json.size();
      continue;
    }
    if (end - colon <= 1) throw Exception(failure);
    fields[k] = json.substr(colon + 1, end - colon - 1);
    position = end + 1;
  }
}

AnsiString readString(std::string_view raw) {
  // Pages write numbers as JSON numbers as often as strings: a bare number
  // is its own text.
  if (!raw.empty() && numberLength(raw) == raw.size()) {
    return AnsiString(raw.data(), static_cast<int>(raw.size()));
  }
  if (raw.size() < 2) throw Exception("String::FromJSON");
  const std::string_view text = raw.substr(1, raw.size() - 2);
  if (text.find('\\') == npos) return AnsiString(text.data(), static_cast<int>(text.size()));
  std::string out;
  out.reserve(text.size());
  for (std::size_t k = 0; k < text.size();) {
    if (text[k] != '\\' || k + 1 == text.size()) {
      out += text[k++];
      continue;
    }
    if (const char decoded = simpleEscape(text[k + 1])) {
      out += decoded;
      k += 2;
    } else if (const long code = unicodeEscape(text, k); code >= 0) {
      k += decodeUnicode(text, k, code, out);
    } else {
      out += text[k++];  // an unknown escape keeps its backslash
    }
  }
  return AnsiString(std::move(out));
}

void writeString(StringBuffer& out, const AnsiString& text) {
  const std::string& bytes = text.str();
  out.AppendChar('"');
  std::size_t run = 0;  // start of the bytes not yet written
  for (std::size_t k = 0; k < bytes.size(); ++k) {
    const char* escaped = nullptr;
    switch (bytes[k]) {
      case '\n': escaped = "\\n"; break;
      case '\r': escaped = "\\r"; break;
      case '\\': escaped = "\\\\"; break;
      case '"': escaped = "\\\""; break;
      default: continue;
    }
    out.AppendBytes(bytes.data() + run, static_cast<int>(k - run));
    out.AppendBytes(escaped, 2);
    run = k + 1;
  }
  out.AppendBytes(bytes.data() + run, static_cast<int>(bytes.size() - run));
  out.AppendChar('"');
}

ArrayReader::ArrayReader(std::string_view json, const char* failure) : json_(json) {
  const std::size_t bracket = json.find('[');
  if (bracket == npos || bracket + 1 == json.size()) throw Exception(failure);
  position_ = bracket + 1;
}

bool ArrayReader::next(std::string_view& element) {
  if (position_ >= json_.size()) return false;
  const std::size_t end = scanValue(json_, position_);
  if (end == npos || end == position_) {
    position_ = json_.size();
    return false;
  }
  element = json_.substr(position_, end - position_);
  position_ = end + 1;
  return true;
}

int readBareCase(std::string_view json, const char* const names[], int count, const char* failure) {
  const int kind = bareCase(json, names, count);
  if (kind < 0) throw Exception(failure);
  return kind;
}

CaseText readPayloadCase(std::string_view json, const char* const names[], int count,
                         const char* failure) {
  const std::size_t colon = findColon(json, failure);
  const std::size_t rest = json.size() - colon;  // bytes from the colon on
  const int tag = indexFormTag(json, colon, count);
  if (tag >= 0) {
    // {"type":K,"value":<payload>}: the payload starts 11 bytes after the colon.
    if (rest < 13) throw Exception(failure);
    return {tag, json.substr(colon + 11, rest - 12)};
  }
  const int kind = caseIndex(caseName(json, colon, failure), names, count, failure);
  if (rest < 3) throw Exception(failure);
  return {kind, json.substr(colon + 1, rest - 2)};
}

void writeBareCase(StringBuffer& out, int kind, int count, const char* failurePrefix) {
  openCase(out, kind, count, failurePrefix);
  appendLiteral(out, "0}");
}

void openPayloadCase(StringBuffer& out, int kind, int count, const char* failurePrefix) {
  openCase(out, kind, count, failurePrefix);
}

// The compact reader keeps to what the positional reader makes of the same
// bytes. Every value it accepts is a text or a run of balanced brackets that
// the byte walk of scanValue passes whole, and each is followed by the byte
// that ends it there: a ",", or the closing bracket that is the last byte of
// the text cut out for its enclosing value. So each value's text is the one
// the positional reader would cut out, down to the outermost one, which must
// be the whole text.

void CompactReader::openRecord() {
  expect('{');
  readKey();
}

void CompactReader::nextField() {
  expect(',');
  readKey();
}

void CompactReader::closeRecord() {
  if (at_ != end_ && *at_ == ',') {
    // Further members: the positional reader ignores them, and its walk
    // through the enclosing values passes them as the brackets balance.
    ++at_;
    skipBrackets(1);
    return;
  }
  expect('}');
}

AnsiString CompactReader::readString() {
  if (const std::size_t number = bareNumber()) {
    return AnsiString(at_ - number, static_cast<int>(number));
  }
  if (at_ == end_ || *at_ != '"') notCompact();
  const char* const start = at_;
  if (skipString()) return json_form::readString(std::string_view(start, at_ - start));
  return AnsiString(start + 1, static_cast<int>(at_ - start - 2));
}

std::string_view CompactReader::readText(std::string& decoded) {
  if (const std::size_t number = bareNumber()) return std::string_view(at_ - number, number);
  if (at_ == end_ || *at_ != '"') notCompact();
  const char* const start = at_;
  if (!skipString()) return std::string_view(start + 1, at_ - start - 2);
  decoded = json_form::readString(std::string_view(start, at_ - start)).str();
  return decoded;
}

bool CompactReader::openArray() {
  expect('[');
  if (at_ != end_ && *at_ == ']') {
    ++at_;
    return false;
  }
  return true;
}

bool CompactReader::nextElement() {
  if (at_ != end_ && *at_ == ',') {
    ++at_;
    return true;
  }
  expect(']');
  return false;
}

int CompactReader::readBareCase(const char* const names[], int count) {
  const char* const start = at_;
  expect('{');
  skipBrackets(1);
  const int kind = bareCase(std::string_view(start, at_ - start), names, count);
  if (kind < 0) notCompact();
  return kind;
}

int CompactReader::openPayloadCase(const char* const names[], int count) {
  expect('{');
  const std::string_view key = readKey();
  if (at_ != end_ && *at_ >= '0' && *at_ <= '9') {
    // The index form, whose payload the positional reader finds by offset.
    if (*at_ - '0' >= count) notCompact();
    const int tag = *at_++ - '0';
    constexpr std::string_view kValueKey = ",\"value\":";
    if (std::string_view(at_, end_ - at_).substr(0, kValueKey.size()) != kValueKey) notCompact();
    at_ += kValueKey.size();
    return tag;
  }
  const int kind = key.empty() ? -1 : caseNamed(key, names, count);
  if (kind < 0) notCompact();
  return kind;
}

std::string_view CompactReader::readKey() {
  expect('"');
  const char* const start = at_;
  while (at_ != end_ && *at_ != '"') {
    // The positional reader finds a value after the next colon, whatever
    // the key holds.
    if (*at_ == ':' || *at_ == '\\') notCompact();
    ++at_;
  }
  const std::string_view key(start, at_ - start);
  expect('"');
  expect(':');
  return key;
}

std::size_t CompactReader::bareNumber() {
  const std::size_t length = numberLength(std::string_view(at_, end_ - at_));
  at_ += length;
  return length;
}

bool CompactReader::skipString() {
  bool escaped = false;
  const char* quote = at_;  // the opening one: the search starts past it
  ++at_;
  for (;;) {
    // Each byte is searched once for a quote and once for a backslash.
    if (quote < at_) {
      if (at_ == end_) notCompact();
      quote = static_cast<const char*>(std::memchr(at_, '"', end_ - at_));
      if (quote == nullptr) notCompact();
    }
    const char* const backslash = static_cast<const char*>(std::memchr(at_, '\\', quote - at_));
    if (backslash == nullptr) {
      at_ = quote + 1;
      return escaped;
    }
    escaped = true;
    at_ = backslash + 2;  // when that passes the quote, the quote was escaped
  }
}

void CompactReader::skipBrackets(long long depth) {
  while (at_ != end_) {
    const char c = *at_;
    if (c == '"') {
      skipString();
      continue;
    }
    ++at_;
    if (c == '\\') {
      if (at_ == end_) notCompact();
      ++at_;  // as scanValue does, the escaped byte is not examined
    } else if (c == '[' || c == '{') {
      ++depth;
    } else if ((c == ']' || c == '}') && --depth == 0) {
      return;
    }
  }
  notCompact();
}

}  // namespace json_form
