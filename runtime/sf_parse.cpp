#include "runtime/sf_parse.h"

#include <optional>
#include <vector>

#include "runtime/exception.h"

SFData parseSF(PutBackSFTokenStream& tokens) {
  std::vector<RefDynSet<SFData>> open;  // arrays still waiting for their "]"
  for (;;) {
    // A value is expected.
    std::optional<SFData> value;
    SFToken token = tokens.next();
    if (token.isText()) {
      value.emplace(token.asText());
    } else if (token.isOpen()) {
      if (open.size() >= static_cast<size_t>(kMaxSFDepth)) throw SFDataException();
      SFToken first = tokens.next();
      if (first.isClose()) {
        value.emplace(RefDynSet<SFData>());
      } else {
        tokens.putBack(first);
        open.emplace_back();
        continue;
      }
    } else {
      throw SFDataException();
    }
    // The value completes an element; close every array it completes.
    for (;;) {
      if (open.empty()) return *value;
      open.back().Add(*value);
      SFToken separator = tokens.next();
      if (separator.isComma()) break;
      if (!separator.isClose()) throw SFDataException();
      value.emplace(open.back());
      open.pop_back();
    }
  }
}

Option<SFData> parseSFText(const AnsiString& text) {
  StringSFTokenStream string_tokens(text);
  PutBackSFTokenStream tokens(&string_tokens);
  try {
    SFData value = parseSF(tokens);
    if (tokens.waiting() == 0 && string_tokens.atEnd()) return Option<SFData>(value);
  } catch (const SFDataException&) {
  }
  return Option<SFData>();
}
