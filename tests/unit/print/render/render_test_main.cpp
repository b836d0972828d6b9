// GoogleTest with a Qt application: fonts and painters need one. Runs
// offscreen unless a platform is chosen.
#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QTemporaryDir runtime;
  if (std::getenv("XDG_RUNTIME_DIR") == nullptr) {
    setenv("XDG_RUNTIME_DIR", runtime.path().toUtf8().constData(), 1);
  }
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
