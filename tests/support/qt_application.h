// The Qt application that tests and benchmarks need for fonts, painters,
// windows and pages: offscreen unless a platform is chosen, with a private
// runtime folder as Qt wants. Test programs built with
// pageshell_add_tests(... QT) get one from their main (qt_main.cpp).
#pragma once

#include <QApplication>

#include <optional>

#include "tests/support/scratch.h"

namespace support {

class QtApplication {
 public:
  QtApplication(int& argc, char** argv);
  QtApplication(const QtApplication&) = delete;
  QtApplication& operator=(const QtApplication&) = delete;

 private:
  Directory runtime_;
  std::optional<QApplication> application_;
};

}  // namespace support
