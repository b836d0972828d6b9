#include "bridge/network/download_progress.h"

#include <cctype>
#include <cstdlib>

#include "http/header_value.h"

namespace bridge::network {
namespace {

bool isSuccess(const std::string& status) { return status[status.find(' ') + 1] == '2'; }

}  // namespace

std::int64_t parseLength(const AnsiString& text) {
  const AnsiString trimmed = text.Trimmed();
  if (trimmed.Length() == 0) return -1;
  char* end = nullptr;
  const long long value = std::strtoll(trimmed.CStr(), &end, 10);
  return end == trimmed.CStr() + trimmed.Length() ? value : -1;
}

std::optional<std::string> statusLine(const AnsiString& head) {
  const std::string& text = head.str();
  const std::string line = text.substr(0, text.find_first_of("\r\n"));
  const std::size_t blank = line.find(' ');
  if (line.compare(0, 5, "HTTP/") != 0 || blank == std::string::npos) return std::nullopt;
  const std::string code = line.substr(blank + 1, 4);
  const auto digit = [&code](std::size_t i) {
    return i < code.size() && std::isdigit(static_cast<unsigned char>(code[i]));
  };
  if (!digit(0) || !digit(1) || !digit(2) || (code.size() > 3 && code[3] != ' ')) {
    return std::nullopt;
  }
  return line;
}

std::optional<int> DownloadProgress::headers(const AnsiString& headerBlock) {
  const std::optional<std::string> status = statusLine(headerBlock);
  failing_ = !status || !isSuccess(*status);
  contentLength_ = parseLength(headerValue(headerBlock, "Content-Length"));
  headerSize_ = headerBlock.Length() + 4;
  if (failing_) return std::nullopt;
  return 10;
}

std::optional<std::int64_t> DownloadProgress::read(std::int64_t received, std::int64_t now) {
  received_ = received;
  if (failing_ || headerSize_ <= 0 || now - lastReport_ <= 0) return std::nullopt;
  lastReport_ = now;
  if (contentLength_ > 0) return (received - headerSize_) * 90 / contentLength_ + 10;
  return 5;
}

std::optional<std::string> DownloadProgress::failure(const AnsiString& head) const {
  const std::optional<std::string> status = statusLine(head);
  if (!status) return "Odpowiedź bez wiersza statusu";
  if (!isSuccess(*status)) return *status;
  if (headerSize_ < 0) return "Niepełny nagłówek odpowiedzi";
  const std::int64_t body = received_ - headerSize_;
  if (body < contentLength_) {
    return "Niepełna odpowiedź [odebrano " + std::to_string(body) + " z " +
           std::to_string(contentLength_) + " bajtów]";
  }
  return std::nullopt;
}

}  // namespace bridge::network
