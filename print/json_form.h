// The JSON form of generated value types: the scanning rules that the
// generated toJSON and fromJSON (tools/typegen, back-end json_form) share.
//
// The reader is positional, not a general JSON parser: it takes a record's
// values in order and never compares keys, so pages must send compact JSON
// (no white space between tokens) as JSON.stringify writes it. Every
// function works on views into the caller's text and never reads outside
// them; none keeps a view after it returns, except ArrayReader and
// CompactReader, whose text must outlive them. Failures throw Exception with
// the message the caller passes (or "String::FromJSON" for text values). No
// state is shared: any thread may call these on its own text.
//
// Two readers give each value: the positional one (splitFields, ArrayReader
// and the case readers) cuts a value's text out before reading it, which
// reads a document's bytes once per level of nesting but takes any text;
// CompactReader reads compact JSON in one pass and agrees with it there.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "runtime/ansi_string.h"
#include "runtime/string_buffer.h"

namespace json_form {

// Walks from `from` to the end of one value: the first "," outside strings
// and brackets, or the last byte of the text once the brackets have closed.
// A backslash skips the byte after it. Returns that byte's index, or npos
// when the text runs out first.
std::size_t scanValue(std::string_view text, std::size_t from);

// Cuts `count` values out of a record's text, by position: each is what
// follows the next ":" up to the end found by scanValue. A value at which
// the text runs out stays empty. Throws Exception(failure) when there are
// fewer ":" than values, or when a value is empty.
void splitFields(std::string_view json, std::string_view* fields, int count, const char* failure);

// A JSON string value to its bytes: drops the first and last byte (the
// quotes) and decodes every JSON escape; \uXXXX becomes UTF-8 (a surrogate
// pair one character, a lone surrogate U+FFFD). A backslash before anything
// else stays as it is. A bare JSON number (12, -3.5, 1e3) is its own text.
// Throws Exception("String::FromJSON") for a value shorter than 2 bytes.
AnsiString readString(std::string_view raw);

// Writes `text` as a JSON string: quotes around it, and line feed, carriage
// return, backslash and double quote escaped; every other byte as it is.
void writeString(StringBuffer& out, const AnsiString& text);

inline void appendLiteral(StringBuffer& out, std::string_view literal) {
  out.AppendBytes(literal.data(), static_cast<int>(literal.size()));
}

// The elements of an array's text, one at a time: from the first "[", each
// element ends where scanValue ends it. An empty element ("[]", or after a
// trailing ",") ends the array, and so does an element at which the text
// runs out (that element is dropped).
class ArrayReader {
 public:
  // Throws Exception(failure) when there is no "[" or it is the last byte.
  ArrayReader(std::string_view json, const char* failure);

  // The next element, or false at the end.
  bool next(std::string_view& element);

 private:
  std::string_view json_;
  std::size_t position_;
};

// The case of a variant whose cases carry no payload, read from the index
// form {"type":K,"value":0} (one digit K after the first ":") or the name
// form {"<case name>":...}. Throws Exception(failure) when there is no ":",
// for an unknown name, or a key too short to be a name.
int readBareCase(std::string_view json, const char* const names[], int count, const char* failure);

struct CaseText {
  int kind;
  std::string_view text;  // the payload's JSON
};

// The case and payload text of a variant whose cases all carry a payload:
// {"type":K,"value":<payload>} or {"<case name>":<payload>}. Throws
// Exception(failure) when there is no ":", for an unknown name, or when the
// text is too short to hold a payload.
CaseText readPayloadCase(std::string_view json, const char* const names[], int count,
                         const char* failure);

// What CompactReader throws at text it leaves to the positional reader.
struct NotCompact {};

// Reads compact JSON in one pass, each byte once: the structure as toJSON
// writes it, with any keys that hold no colon or backslash, and any further
// members after a record's fields. It accepts only text that it reads as the
// positional reader does, value for value; at anything else (white space, a
// value of another shape, a text that runs out) it throws NotCompact, never
// an Exception, and the caller reads the text by position instead, which
// also gives the failure message.
class CompactReader {
 public:
  explicit CompactReader(std::string_view text)
      : at_(text.data()), end_(text.data() + text.size()) {}

  bool atEnd() const { return at_ == end_; }

  // "{", then the first key and its ":".
  void openRecord();
  // ",", then the next key and its ":".
  void nextField();
  // "}", after any members past the record's fields, which are skipped unread.
  void closeRecord();

  // A text value (or a bare number), decoded as readString decodes it.
  AnsiString readString();
  // The same text without a copy where it holds no escape: a view of its
  // bytes in the text. Where it holds one, a view of `decoded`, which then
  // receives the decoded text (never empty, since an escape gives a byte).
  std::string_view readText(std::string& decoded);

  // "["; false for an empty array, whose "]" it reads too.
  bool openArray();
  // After an element: "," (true, another follows) or "]" (false).
  bool nextElement();

  // A whole variant value without payload; its case as readBareCase gives it.
  int readBareCase(const char* const names[], int count);
  // A payload variant up to its payload, {"type":K,"value": or {"<case name>":,
  // returning the case; closePayloadCase reads the "}" after the payload.
  int openPayloadCase(const char* const names[], int count);
  void closePayloadCase() { expect('}'); }

 private:
  [[noreturn]] static void notCompact() { throw NotCompact(); }
  void expect(char c) {
    if (at_ == end_ || *at_ != c) notCompact();
    ++at_;
  }
  // Past a JSON number that starts here; its length, or 0 when none does.
  std::size_t bareNumber();
  // A key and its ":"; returns the key's bytes, which hold no quote,
  // backslash or colon.
  std::string_view readKey();
  // From an opening quote past the closing one; returns whether the text
  // holds an escape.
  bool skipString();
  // From inside `depth` open brackets to past the bracket that closes the
  // outermost, counting brackets as scanValue does.
  void skipBrackets(long long depth);

  const char* at_;
  const char* end_;
};

// The compact reading of `json` when the whole text is compact JSON, else the
// positional one.
template <typename T>
T readEither(std::string_view json, T (*compact)(CompactReader&),
             T (*positional)(std::string_view)) {
  try {
    CompactReader in(json);
    T value = compact(in);
    if (in.atEnd()) return value;
  } catch (const NotCompact&) {
  }
  return positional(json);
}

// {"type":K,"value":0}, or Exception(failurePrefix + K + ")") when K is not
// one of the `count` cases.
void writeBareCase(StringBuffer& out, int kind, int count, const char* failurePrefix);
// {"type":K,"value": ahead of the payload, with the same check.
void openPayloadCase(StringBuffer& out, int kind, int count, const char* failurePrefix);

}  // namespace json_form
