#include "runtime/string_util.h"

#include <cassert>
#include <string>

#include "runtime/string_buffer.h"

DynSet<AnsiString> Split(const AnsiString& text, char separator) {
  const std::string& bytes = text.str();
  DynSet<AnsiString> pieces;
  size_t start = 0;
  for (size_t i = 0; i + 1 < bytes.size(); ++i) {
    if (bytes[i] != separator) continue;
    pieces.Add(AnsiString(bytes.substr(start, i - start)));
    start = i + 1;
  }
  pieces.Add(AnsiString(bytes.substr(start)));
  return pieces;
}

AnsiString ReplaceAll(const AnsiString& text, const AnsiString& pattern,
                      const AnsiString& replacement) {
  assert(pattern.Length() > 0 && "ReplaceAll needs a pattern");
  const std::string& bytes = text.str();
  const std::string& needle = pattern.str();
  if (needle.empty()) return text;
  StringBuffer result;
  size_t start = 0;
  for (size_t at; (at = bytes.find(needle, start)) != std::string::npos;
       start = at + needle.size()) {
    result.AppendBytes(bytes.data() + start, static_cast<int>(at - start));
    result.Append(replacement);
  }
  result.AppendBytes(bytes.data() + start, static_cast<int>(bytes.size() - start));
  return result.ToAnsiString();
}
