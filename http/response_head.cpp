#include "http/response_head.h"

#include <cctype>
#include <cstdlib>

#include "http/header_value.h"

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

std::optional<int> statusCode(const AnsiString& head) {
  const std::optional<std::string> line = statusLine(head);
  if (!line) return std::nullopt;
  return std::atoi(line->c_str() + line->find(' ') + 1);
}

std::int64_t parseLength(const AnsiString& text) {
  const AnsiString trimmed = text.Trimmed();
  if (trimmed.Length() == 0) return -1;
  char* end = nullptr;
  const long long value = std::strtoll(trimmed.CStr(), &end, 10);
  return end == trimmed.CStr() + trimmed.Length() ? value : -1;
}

std::int64_t contentLength(const AnsiString& head) {
  return parseLength(headerValue(head, "Content-Length"));
}
