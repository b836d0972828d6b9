// The main of every test program built with pageshell_add_tests(... QT): the
// Qt application is made before the first test and kept until the last;
// listing the tests makes none.
#include <gtest/gtest.h>

#include <memory>

#include "tests/support/qt_application.h"

namespace {

class QtEnvironment : public ::testing::Environment {
 public:
  QtEnvironment(int& argc, char** argv) : argc_(argc), argv_(argv) {}

  void SetUp() override { application_ = std::make_unique<support::QtApplication>(argc_, argv_); }
  void TearDown() override { application_.reset(); }

 private:
  int& argc_;
  char** argv_;
  std::unique_ptr<support::QtApplication> application_;
};

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new QtEnvironment(argc, argv));
  return RUN_ALL_TESTS();
}
