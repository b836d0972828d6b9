#include "runtime/binary_buffer.h"

#include <algorithm>
#include <climits>

namespace {

constexpr long long kDoublingLimit = 60000000;  // bytes

}  // namespace

BinaryBuffer::BinaryBuffer(const Binary& binary) { Append(binary); }

BinaryBuffer::BinaryBuffer(const BinaryBuffer& other) { Assign(other); }

BinaryBuffer& BinaryBuffer::operator=(const BinaryBuffer& other) {
  Assign(other);
  return *this;
}

BinaryBuffer::~BinaryBuffer() = default;

void BinaryBuffer::Init(const char* bytes, int count) { store_.Init(bytes, count); }

void BinaryBuffer::Reserve(int n) {
  const long long capacity = store_.capacity();
  if (capacity >= n) return;
  long long grown = capacity <= kDoublingLimit ? 2 * capacity + 1 : capacity + kDoublingLimit;
  grown = std::min<long long>(std::max<long long>(grown, n), INT_MAX);
  store_.Reallocate(static_cast<int>(grown));
}

void BinaryBuffer::Clear() { store_.Clear(); }

void BinaryBuffer::Assign(const BinaryBuffer& other) {
  if (this != &other) store_.Init(other.store_.data(), other.store_.size());
}

void BinaryBuffer::Append(const Binary& binary) { AppendBytes(binary.Data(), binary.Size()); }

void BinaryBuffer::AppendByte(char byte) { AppendBytes(&byte, 1); }

void BinaryBuffer::AppendBytes(const char* bytes, int count) {
  if (bytes == nullptr || count <= 0) return;
  Reserve(store_.SizeAfter(count, "BinaryBuffer::Append"));
  store_.Put(bytes, count);
}

Binary BinaryBuffer::ToBinary() const { return Binary(store_.data(), store_.size()); }
