#include "runtime/exception.h"

#include <cstdio>

Exception::Exception(const AnsiString& message) : message_(message) {
  std::printf("E:(%s)\n", message_.CStr());
}

Exception::~Exception() = default;

SimpleDataException::~SimpleDataException() = default;

SFDataException::~SFDataException() = default;
