#include "runtime/sf_token.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <stdexcept>
#include <string>

#include "runtime/exception.h"

namespace {

// "łańcucha" in Windows-1250.
const char kEndOfTextMessage[] =
    "StringSFTokenStream::next(niespodziewany koniec \xB3"
    "a\xF1"
    "cucha na pozycji ";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// An escape number as ToInt reads it. Short plain digit runs, by far the
// common case, skip building a string.
int EscapeNumber(const char* digits, size_t count) {
  if (count > 0 && count < 10 && std::all_of(digits, digits + count, IsDigit)) {
    int value = 0;
    for (size_t i = 0; i < count; ++i) value = value * 10 + (digits[i] - '0');
    return value;
  }
  return AnsiString(std::string(digits, count)).ToInt();
}

}  // namespace

bool UnescapeSF(const char* raw, size_t size, std::string& out, bool quiet) {
  const char* end = raw + size;
  const char* from = raw;
  while (const char* backslash = static_cast<const char*>(std::memchr(from, '\\', end - from))) {
    out.append(from, backslash);
    const char* after = backslash + 1;
    const char* semicolon = static_cast<const char*>(std::memchr(after, ';', end - after));
    if (semicolon == nullptr || *after != '#') {
      if (quiet) return false;
      throw Exception("unescape");
    }
    int number = 0;
    try {
      number = EscapeNumber(after + 1, semicolon - after - 1);
    } catch (const AnsiString&) {
      if (quiet) return false;
      throw;
    }
    out += static_cast<char>(static_cast<unsigned>(number) & 0xFFu);
    from = semicolon + 1;
  }
  out.append(from, end);
  return true;
}

SFToken::SFToken(int kind, const AnsiString& text) : kind_(kind), text_(text) {}

bool SFToken::isText() const { return kind_ == kSFTokenText; }

bool SFToken::isOpen() const { return kind_ == kSFTokenOpen; }

bool SFToken::isClose() const { return kind_ == kSFTokenClose; }

bool SFToken::isComma() const { return kind_ == kSFTokenComma; }

const AnsiString& SFToken::asText() const {
  if (kind_ != kSFTokenText) throw Exception("SFToken::asText");
  return text_;
}

SFToken::~SFToken() = default;

StringSFTokenStream::StringSFTokenStream(const AnsiString& text) : text_(text) {
  if (text.str().size() >= static_cast<size_t>(INT_MAX)) {
    throw std::length_error("StringSFTokenStream");
  }
  length_ = static_cast<int>(text.str().size());
}

StringSFTokenStream::~StringSFTokenStream() = default;

void StringSFTokenStream::skipWhitespace() {
  const char* bytes = text_.str().data();
  while (pos_ <= length_) {
    const char c = bytes[pos_ - 1];
    if (c != ' ' && c != '\n' && c != '\r') break;
    ++pos_;
  }
}

bool StringSFTokenStream::atEnd() {
  skipWhitespace();
  return pos_ == length_ + 1;
}

SFToken StringSFTokenStream::next() {
  skipWhitespace();
  if (pos_ > length_) throw Exception("StringSFTokenStream::next(niespodziewany koniec danych)");
  const char* bytes = text_.str().data();
  switch (bytes[pos_ - 1]) {
    case '[': ++pos_; return SFToken(kSFTokenOpen);
    case ']': ++pos_; return SFToken(kSFTokenClose);
    case ',': ++pos_; return SFToken(kSFTokenComma);
    case '"': {
      const char* raw = bytes + pos_;  // just after the opening quote
      const size_t left = static_cast<size_t>(length_ - pos_);
      const char* close = static_cast<const char*>(std::memchr(raw, '"', left));
      if (close == nullptr) throw Exception(kEndOfTextMessage + AnsiString(pos_) + ")");
      std::string text;
      UnescapeSF(raw, close - raw, text, false);
      SFToken token(kSFTokenText, AnsiString(std::move(text)));
      pos_ += static_cast<int>(close - raw) + 2;
      return token;
    }
    default:
      throw Exception("StringSFTokenStream::next(niespodziewany znak na pozycji " +
                      AnsiString(pos_) + ")");
  }
}

PutBackSFTokenStream::PutBackSFTokenStream(SFTokenStream* inner) : inner_(inner) {}

PutBackSFTokenStream::~PutBackSFTokenStream() = default;

bool PutBackSFTokenStream::atEnd() { return stack_.Count() == 0 && inner_->atEnd(); }

SFToken PutBackSFTokenStream::next() {
  const int count = stack_.Count();
  if (count == 0) return inner_->next();
  SFToken token = stack_[count - 1];
  stack_.Delete(count - 1);
  return token;
}

void PutBackSFTokenStream::putBack(const SFToken& token) { stack_.Add(token); }
