#include "runtime/string_buffer.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <stdexcept>

namespace {

long long NextCapacity(long long capacity) {
  return std::min<long long>(2 * capacity + 1, INT_MAX);
}

}  // namespace

StringBuffer::StringBuffer(const AnsiString& text) { Append(text); }

StringBuffer::StringBuffer(const StringBuffer& other) { Assign(other); }

StringBuffer& StringBuffer::operator=(const StringBuffer& other) {
  Assign(other);
  return *this;
}

StringBuffer::~StringBuffer() = default;

void StringBuffer::Init(const char* bytes, int count) { store_.Init(bytes, count); }

void StringBuffer::Grow() {
  if (store_.capacity() == INT_MAX) throw std::length_error("StringBuffer::Grow");
  store_.Reallocate(static_cast<int>(NextCapacity(store_.capacity())));
}

void StringBuffer::Clear() { store_.Clear(); }

void StringBuffer::Assign(const StringBuffer& other) {
  if (this != &other) store_.Init(other.store_.data(), other.store_.size());
}

void StringBuffer::Append(const AnsiString& text) {
  const std::string& bytes = text.str();
  if (bytes.size() > INT_MAX) throw std::length_error("StringBuffer::Append");
  AppendBytes(bytes.data(), static_cast<int>(bytes.size()));
}

void StringBuffer::AppendChar(char byte) { AppendBytes(&byte, 1); }

void StringBuffer::AppendCStr(const char* text) {
  if (text == nullptr) return;
  const size_t length = std::strlen(text);
  if (length > INT_MAX) throw std::length_error("StringBuffer::AppendCStr");
  AppendBytes(text, static_cast<int>(length));
}

// Reaches the capacity that repeated Grow calls would reach, with one move
// of the contents instead of one per step.
void StringBuffer::AppendBytes(const char* bytes, int count) {
  if (bytes == nullptr || count <= 0) return;
  const int total = store_.SizeAfter(count, "StringBuffer::Append");
  long long capacity = store_.capacity();
  while (capacity < total) capacity = NextCapacity(capacity);
  if (capacity != store_.capacity()) store_.Reallocate(static_cast<int>(capacity));
  store_.Put(bytes, count);
}

AnsiString StringBuffer::ToAnsiString() const { return AnsiString(store_.data(), store_.size()); }
