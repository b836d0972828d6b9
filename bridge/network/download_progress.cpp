#include "bridge/network/download_progress.h"

#include <cstdlib>

#include "http/header_value.h"

namespace bridge::network {

std::int64_t parseLength(const AnsiString& text) {
  const AnsiString trimmed = text.Trimmed();
  if (trimmed.Length() == 0) return -1;
  char* end = nullptr;
  const long long value = std::strtoll(trimmed.CStr(), &end, 10);
  return end == trimmed.CStr() + trimmed.Length() ? value : -1;
}

int DownloadProgress::headers(const AnsiString& headerBlock) {
  contentLength_ = parseLength(headerValue(headerBlock, "Content-Length"));
  headerSize_ = headerBlock.Length() + 4;
  return 10;
}

std::optional<std::int64_t> DownloadProgress::read(std::int64_t received, std::int64_t now) {
  if (headerSize_ <= 0 || now - lastReport_ <= 0) return std::nullopt;
  lastReport_ = now;
  if (contentLength_ > 0) return (received - headerSize_) * 90 / contentLength_ + 10;
  return 5;
}

}  // namespace bridge::network
