#include "http/header_value.h"

#include "runtime/dyn_set.h"
#include "runtime/string_util.h"

namespace {

char asciiLower(unsigned char byte) {
  return static_cast<char>(byte >= 'A' && byte <= 'Z' ? byte + ('a' - 'A') : byte);
}

// True when `line` begins with `name` followed by ':', ASCII case ignored.
bool namesHeader(const AnsiString& line, const AnsiString& name) {
  const int length = name.Length();
  if (line.Length() <= length || line[length + 1] != ':') return false;
  for (int i = 1; i <= length; ++i) {
    if (asciiLower(line[i]) != asciiLower(name[i])) return false;
  }
  return true;
}

}  // namespace

AnsiString headerValue(const AnsiString& headerBlock, const AnsiString& name) {
  const DynSet<AnsiString> lines = Split(headerBlock, '\n');
  for (int i = 0; i < lines.Count(); ++i) {
    const AnsiString line = lines[i].Trimmed();
    if (namesHeader(line, name)) return line.Substring(name.Length() + 2, line.Length()).Trimmed();
  }
  return AnsiString();
}
