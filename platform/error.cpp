#include "platform/error.h"

#include <langinfo.h>
#include <locale.h>

#include <cerrno>
#include <cstring>

namespace platform {
namespace {

// The system's text for `code` as glibc words it in the C locale: English
// and plain ASCII.
std::string asciiText(int code) {
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return cLocale ? strerror_l(code, cLocale) : "error " + std::to_string(code);
}

// Reasons reach pages, which take UTF-8: a translated text is in the
// character set of the process's locale, so only a UTF-8 one is given as it
// is, any other gives way to English. strerror_r, because strerror may
// answer in a buffer that another thread overwrites.
std::string systemText(int code) {
  if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0) return asciiText(code);
  char buffer[256];
  return strerror_r(code, buffer, sizeof buffer);
}

}  // namespace

Status Status::failure(int code, std::string path) {
  return Status(code, std::move(path), systemText(code));
}

Status Status::failure(int code, std::string path, std::string reason) {
  return Status(code, std::move(path), std::move(reason));
}

Status Status::fromErrno(std::string path) { return failure(errno, std::move(path)); }

std::string Status::message() const { return path_.empty() ? reason_ : path_ + ": " + reason_; }

}  // namespace platform
