// What the engine and its callers read in a response head: the status line
// and the announced body length. No state; any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "runtime/ansi_string.h"

// The status line of a response head ("HTTP/<version> <code> ..."), or
// nothing when its first line is none: a code is three digits, followed by
// a blank or by the line's end.
std::optional<std::string> statusLine(const AnsiString& head);

// The three-digit code of the head's status line; nothing without one.
std::optional<int> statusCode(const AnsiString& head);

// A Content-Length value: decimal, a sign and surrounding blanks allowed,
// the whole text converted; -1 for anything else.
std::int64_t parseLength(const AnsiString& text);

// The head's Content-Length as parseLength reads it; -1 without the header.
std::int64_t contentLength(const AnsiString& head);
