#include "platform/shell_words.h"

#include <cstring>

namespace platform {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }

bool escapableInDoubleQuotes(char c) { return std::strchr("\"\\$`\n", c) != nullptr && c != '\0'; }

}  // namespace

std::vector<std::string> splitShellWords(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  const size_t n = text.size();
  for (size_t i = 0; i < n; ++i) {
    const char c = text[i];
    if (isBlank(c)) {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
      continue;
    }
    if (c == '\\' && i + 1 < n && text[i + 1] == '\n') {
      ++i;
      continue;
    }
    inWord = true;
    if (c == '\\') {
      if (i + 1 < n) word += text[++i];
    } else if (c == '\'') {
      const size_t close = text.find('\'', i + 1);
      const size_t end = close == std::string::npos ? n : close;
      word.append(text, i + 1, end - i - 1);
      i = end;
    } else if (c == '"') {
      for (++i; i < n && text[i] != '"'; ++i) {
        if (text[i] == '\\' && i + 1 < n && escapableInDoubleQuotes(text[i + 1])) {
          if (text[++i] != '\n') word += text[i];
        } else {
          word += text[i];
        }
      }
    } else {
      word += c;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

}  // namespace platform
