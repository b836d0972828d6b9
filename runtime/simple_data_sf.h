#pragma once

#include "runtime/ansi_string.h"
#include "runtime/option.h"
#include "runtime/sf_data.h"
#include "runtime/simple_data.h"

// Reading SimpleData back from SF. Every node is written as a two-element
// array of its kind name and its value:
//   [«string», «text»]  [«int», «-5»]  [«array», [value, ...]]
//   [«record», [«name», value, «name», value, ...]]
//   [«variant», [«case», value]]
// (toSFData and toString of the tree types write it.) A name repeated in a
// record keeps its first place and takes its last value.

// The tree an SF value describes. Throws SimpleDataException when the value
// lacks the shape above (a kind name that is not a text, an int text that
// ToInt refuses, an odd member list, arrays nested deeper than kMaxSFDepth,
// ...), Exception("SimpleData::fromSFData, Binary, not implemented") for a
// binary node and Exception("SimpleData::fromSFData") for an unknown kind.
SimpleData fromSFData(const SFData& value);

// parseSFText, then fromSFData. The empty Option when the text is not one SF
// value or the value lacks the shape of a tree; the Exceptions of the
// tokenizer and of fromSFData, and the AnsiString "AnsiString::ToInt()" of a
// bad escape number, pass to the caller.
Option<SimpleData> parseSimpleData(const AnsiString& text);
