#pragma once

#include <string>
#include <vector>

// An option list such as "base64,timeout=30": entries of the form name or
// name=value, looked up by name prefix ("time" finds "timeout=30"); the
// first matching entry wins. Lives on the stack of the function using it.
class OptionUtil final {
 public:
  explicit OptionUtil(std::vector<std::string> entries);
  // Splits at every ',', keeping empty pieces.
  static OptionUtil Parse(const std::string& options);

  // Index of the first entry beginning with name, -1 if none.
  virtual int indexOf(const std::string& name) const;
  // 1 when an entry is found, else the fallback.
  virtual int getFlag(const std::string& name, int fallback) const;
  // The text after the entry's first '=' (empty without one), else the
  // fallback.
  virtual std::string getString(const std::string& name, const std::string& fallback) const;
  // getString converted with ToIntOr; the fallback when absent or not a
  // number.
  virtual int getInt(const std::string& name, int fallback) const;

 private:
  std::vector<std::string> entries_;
};
