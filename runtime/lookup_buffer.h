#pragma once

#include "runtime/ansi_string.h"
#include "runtime/string_buffer.h"

// Splits a byte stream, fed in pieces of any size, at the first occurrence
// of a separator (an HTTP response's blank line between head and body). A
// separator split across two feeds is still found. The bytes before it go to
// Head, those after it (and everything fed later) to Body.
//
// Until the separator is found, up to separator-length - 1 trailing bytes
// wait in reserve; if the stream ends first they are in neither Head nor
// Body. One thread at a time.
class LookupBuffer {
 public:
  explicit LookupBuffer(const AnsiString& separator);

  // True exactly on the call in which the separator is found. A null pointer
  // or a count <= 0 feeds nothing.
  virtual bool Feed(const char* bytes, int count);
  virtual AnsiString Head() const;
  virtual AnsiString Body() const;
  virtual ~LookupBuffer();

  // The bytes held in reserve; "" once the separator is found. A reader
  // whose stream ended first adds them to Head to lose no byte.
  AnsiString Held() const { return pending_; }

 private:
  AnsiString separator_;
  AnsiString pending_;  // received, not yet placed in head_ or body_
  bool found_ = false;
  StringBuffer head_;
  StringBuffer body_;
};
