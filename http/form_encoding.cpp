#include "http/form_encoding.h"

#include <string>

AnsiString urlEncode(const AnsiString& text) {
  static const char kHex[] = "0123456789ABCDEF";
  const std::string& bytes = text.str();
  std::string encoded;
  encoded.reserve(bytes.size());
  for (const char c : bytes) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if ((byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') ||
        (byte >= 'a' && byte <= 'z')) {
      encoded += c;
    } else if (byte == ' ') {
      encoded += '+';
    } else {
      encoded += '%';
      encoded += kHex[byte >> 4];
      encoded += kHex[byte & 0xF];
    }
  }
  return AnsiString(std::move(encoded));
}
