#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "runtime/ansi_string.h"
#include "runtime/binary.h"

// Standard base64 (RFC 4648 alphabet, '=' padding, no line breaks).

// A null pointer or a count <= 0 encodes nothing.
AnsiString Base64Encode(const char* bytes, int count);
AnsiString Base64Encode(const AnsiString& text);
AnsiString Base64Encode(const Binary& binary);
// The same text as a std::string, for bytes of any length.
std::string Base64EncodeBytes(std::string_view bytes);

// The length of the text that encodes `count` bytes.
std::size_t Base64EncodedLength(std::size_t count);
// Writes the text of `bytes`, Base64EncodedLength(bytes.size()) symbols, at
// `out`. Bytes encoded piece by piece, each piece but the last a multiple of
// three bytes long, give the text of the whole.
void Base64EncodeInto(std::string_view bytes, char* out);

// Decoding never fails: it reads symbols from the start and stops, without
// error, at the first '=' or the first byte outside the alphabet (white space
// and line breaks included). Each whole group of 4 symbols gives 3 bytes; a
// final group of 2 symbols gives 1 byte, of 3 symbols 2 bytes, of 1 symbol
// nothing.
AnsiString Base64Decode(const AnsiString& text);
Binary Base64DecodeBinary(const AnsiString& text);
