// Feeds a stream to a LookupBuffer in chunks of fuzzer-chosen sizes and
// checks that the result equals a split of the whole stream at once.
//
// Input: one byte giving the separator length (0-7), the separator, then
// the stream; chunk sizes come from a generator seeded by the stream.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "runtime/lookup_buffer.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

struct Split {
  bool found = false;
  std::string head;
  std::string body;
};

// The whole stream at once, by the buffer's rules: bytes after the first
// separator form the body; without one, all but the last separator-length
// - 1 bytes form the head.
Split OneShot(const std::string& stream, const std::string& separator) {
  Split split;
  const size_t at = stream.find(separator);
  if (at != std::string::npos) {
    split.found = true;
    split.head = stream.substr(0, at);
    split.body = stream.substr(at + separator.size());
  } else if (stream.size() >= separator.size()) {
    split.head = stream.substr(0, stream.size() - separator.size() + 1);
  }
  return split;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > (1 << 16)) return 0;
  const size_t separator_length = data[0] % 8;
  if (size < 1 + separator_length) return 0;
  const std::string separator(reinterpret_cast<const char*>(data + 1), separator_length);
  const std::string stream(reinterpret_cast<const char*>(data + 1 + separator_length),
                           size - 1 - separator_length);

  uint32_t state = 2166136261u;
  for (char c : stream) state = (state ^ static_cast<unsigned char>(c)) * 16777619u;

  LookupBuffer buffer{AnsiString(separator)};
  int found_calls = 0;
  size_t position = 0;
  do {
    state = state * 1103515245u + 12345u;
    const size_t chunk = (state >> 16) % 11;  // 0 feeds nothing
    const size_t count = std::min(chunk, stream.size() - position);
    const char* bytes = count == 0 ? nullptr : stream.data() + position;
    if (buffer.Feed(bytes, static_cast<int>(count))) ++found_calls;
    position += count;
  } while (position < stream.size());

  const Split expected = OneShot(stream, separator);
  Require(found_calls == (expected.found ? 1 : 0));
  Require(buffer.Head().str() == expected.head);
  Require(buffer.Body().str() == expected.body);
  return 0;
}
