#pragma once

#include <cstddef>
#include <string>

#include "runtime/ansi_string.h"
#include "runtime/dyn_set.h"

// The tokens of the SF text form and the streams that yield them. Streams are
// plain values owned by the function reading them; one thread at a time.

enum SFTokenKind : int { kSFTokenText = 1, kSFTokenOpen = 2, kSFTokenClose = 3, kSFTokenComma = 4 };

// A text (already unescaped), "[", "]" or ",".
class SFToken {
 public:
  explicit SFToken(int kind, const AnsiString& text = AnsiString());

  virtual bool isText() const;
  virtual bool isOpen() const;
  virtual bool isClose() const;
  virtual bool isComma() const;
  // Throws Exception("SFToken::asText") for any but a text token.
  virtual const AnsiString& asText() const;
  virtual ~SFToken();

 private:
  int kind_;
  AnsiString text_;
};

class SFTokenStream {
 public:
  // True when no token is left (white space may remain).
  virtual bool atEnd() = 0;
  virtual SFToken next() = 0;

 protected:
  ~SFTokenStream() = default;
};

// The tokenizer over one copy of a text. Blanks, line feeds and carriage
// returns separate tokens; tabs and other bytes start no token.
//
// next() throws Exception with the runtime's Polish messages (Windows-1250):
//   "StringSFTokenStream::next(niespodziewany koniec danych)" when no token is
//     left;
//   "StringSFTokenStream::next(niespodziewany koniec łańcucha na pozycji <p>)"
//     when the text opened by the double quote at 1-based position p is never
//     closed;
//   "StringSFTokenStream::next(niespodziewany znak na pozycji <p>)" for a byte
//     at p that starts no token;
//   "unescape" for an escape without its "#" or its closing ";"; and it
//   passes on the AnsiString "AnsiString::ToInt()" for an escape whose
//   number does not convert. A failed next() stays at the byte it refused.
// Reads never leave the text. A text of INT_MAX bytes or more throws
// std::length_error at construction, so positions never wrap.
class StringSFTokenStream : public SFTokenStream {
 public:
  explicit StringSFTokenStream(const AnsiString& text);

  bool atEnd() override;
  SFToken next() override;
  virtual ~StringSFTokenStream();
  virtual void skipWhitespace();

 private:
  int pos_ = 1;  // 1-based position of the next unread byte
  int length_;
  AnsiString text_;
};

// Wraps a stream (not owned; it must outlive this one) and lets the reader
// give tokens back: next() answers the most recently given back token first.
class PutBackSFTokenStream : public SFTokenStream {
 public:
  explicit PutBackSFTokenStream(SFTokenStream* inner);

  bool atEnd() override;
  SFToken next() override;
  virtual ~PutBackSFTokenStream();
  virtual void putBack(const SFToken& token);

  // Tokens given back and not yet taken again.
  int waiting() const { return stack_.Count(); }

 private:
  SFTokenStream* inner_;
  DynSet<SFToken> stack_;
};

// Appends the raw content of an SF text (the bytes between its quotes) to
// `out`, with every "\#<number>;" replaced by the low 8 bits of the number
// as ToInt reads it. A malformed escape throws Exception("unescape") and a
// number ToInt refuses throws its AnsiString "AnsiString::ToInt()"; with
// `quiet`, both return false instead, leaving `out` partly written.
bool UnescapeSF(const char* raw, size_t size, std::string& out, bool quiet);
