#pragma once

#include "runtime/ansi_string.h"
#include "runtime/dyn_set.h"

// The pieces of text cut at every separator byte, in order. The last byte is
// never a cut: "a,b," gives "a" and "b,"; "a,,b" gives "a", "" and "b"; the
// empty text gives one empty piece.
DynSet<AnsiString> Split(const AnsiString& text, char separator);

// The text with every occurrence of pattern, searched left to right without
// overlaps, replaced by replacement. The pattern must not be empty (the
// caller's duty): a debug build asserts, a release build returns the text
// unchanged.
AnsiString ReplaceAll(const AnsiString& text, const AnsiString& pattern,
                      const AnsiString& replacement);
