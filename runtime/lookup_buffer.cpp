#include "runtime/lookup_buffer.h"

#include <string>

LookupBuffer::LookupBuffer(const AnsiString& separator) : separator_(separator) {}

LookupBuffer::~LookupBuffer() = default;

bool LookupBuffer::Feed(const char* bytes, int count) {
  if (bytes == nullptr || count < 0) count = 0;
  if (found_) {
    body_.AppendBytes(bytes, count);
    return false;
  }
  if (count > 0) pending_ += AnsiString(bytes, count);
  const std::string& pending = pending_.str();
  const int length = pending_.Length();
  const int separator_length = separator_.Length();
  if (length < separator_length) return false;

  const int position = pending_.Find(separator_);
  if (position > 0) {
    head_.AppendBytes(pending.data(), position - 1);
    const int after = position - 1 + separator_length;
    body_.AppendBytes(pending.data() + after, length - after);
    pending_ = AnsiString();
    found_ = true;
    return true;
  }
  // No separator yet: everything but its possible start moves to the head.
  const int placed = length - separator_length + 1;
  head_.AppendBytes(pending.data(), placed);
  pending_ = pending_.Substring(placed + 1, separator_length - 1);
  return false;
}

AnsiString LookupBuffer::Head() const { return head_.ToAnsiString(); }

AnsiString LookupBuffer::Body() const { return body_.ToAnsiString(); }
