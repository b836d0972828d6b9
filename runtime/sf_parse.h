#pragma once

#include "runtime/ansi_string.h"
#include "runtime/option.h"
#include "runtime/sf_data.h"
#include "runtime/sf_token.h"

// Reads one SF value from the stream. A "]" or "," where a value belongs, a
// missing separator, or arrays nested deeper than kMaxSFDepth throw
// SFDataException; the tokenizer's failures pass through. Works without
// recursion, so the nesting of the input cannot exhaust the stack.
SFData parseSF(PutBackSFTokenStream& tokens);

// The value when the whole text is exactly one SF value (white space around
// it allowed), else the empty Option. Only the shape failures of parseSF
// become the empty Option: the tokenizer's Exception and the AnsiString
// "AnsiString::ToInt()" of a bad escape number pass to the caller, so a
// caller that must never throw on outside text catches both.
Option<SFData> parseSFText(const AnsiString& text);
