// Looking a header up in a response's header block.
#pragma once

#include "runtime/ansi_string.h"

// The value of the first line of `headerBlock` (lines end in LF, with or
// without CR) that names the header `name`, trimmed of blanks and control
// bytes; "" when no line does. Header names compare without regard to the
// case of ASCII letters, and the blank after the colon may be there or not.
// The status line never matches, since it has no colon right after a name.
AnsiString headerValue(const AnsiString& headerBlock, const AnsiString& name);
