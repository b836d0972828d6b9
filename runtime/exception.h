#pragma once

#include "runtime/ansi_string.h"

// The failure thrown by the runtime and the generated types. Its message
// names what failed as "Class::operation" (for example "DSBox::getValue").
// Making one writes the line "E:(<message>)\n" to standard output, whether or
// not anyone catches it, so every failure leaves a trace in the log.
class Exception {
 public:
  explicit Exception(const AnsiString& message);
  virtual ~Exception();

  const AnsiString& Message() const { return message_; }

 private:
  AnsiString message_;
};

// Thrown by the SimpleData conversions when the input lacks the required
// shape; the parse functions turn it into an empty Option.
class SimpleDataException {
 public:
  virtual ~SimpleDataException();
};

// Thrown by the SF text conversions when the input lacks the required shape;
// the parse functions turn it into an empty Option.
class SFDataException {
 public:
  virtual ~SFDataException();
};
