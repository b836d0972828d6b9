#include "runtime/option_util.h"

#include <utility>

#include "runtime/ansi_string.h"

OptionUtil::OptionUtil(std::vector<std::string> entries) : entries_(std::move(entries)) {}

OptionUtil OptionUtil::Parse(const std::string& options) {
  std::vector<std::string> entries;
  size_t start = 0;
  for (size_t comma; (comma = options.find(',', start)) != std::string::npos; start = comma + 1) {
    entries.push_back(options.substr(start, comma - start));
  }
  entries.push_back(options.substr(start));
  return OptionUtil(std::move(entries));
}

int OptionUtil::indexOf(const std::string& name) const {
  for (size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].compare(0, name.size(), name) == 0) return static_cast<int>(i);
  }
  return -1;
}

int OptionUtil::getFlag(const std::string& name, int fallback) const {
  return indexOf(name) >= 0 ? 1 : fallback;
}

std::string OptionUtil::getString(const std::string& name, const std::string& fallback) const {
  const int index = indexOf(name);
  if (index < 0) return fallback;
  const std::string& entry = entries_[index];
  const size_t equals = entry.find('=');
  return equals == std::string::npos ? std::string() : entry.substr(equals + 1);
}

int OptionUtil::getInt(const std::string& name, int fallback) const {
  return AnsiString(getString(name, std::string())).ToIntOr(fallback);
}
