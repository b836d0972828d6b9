// The form encoding of the HTTP engine's request bodies and cookie values.
#pragma once

#include "runtime/ansi_string.h"

// Every byte of `text` in order: ASCII letters and digits stay, a blank
// becomes '+', every other byte (punctuation and bytes from 0x80 included)
// becomes '%' and two upper-case hexadecimal digits.
AnsiString urlEncode(const AnsiString& text);
