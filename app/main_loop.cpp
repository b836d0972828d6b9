#include "app/main_loop.h"

#include <QApplication>
#include <QThread>

namespace app {
namespace {
bool mainLoopRunning = false;
}  // namespace

int runMainLoop(QApplication& application) {
  mainLoopRunning = true;
  const int exitCode = application.exec();
  mainLoopRunning = false;
  return exitCode;
}

bool inOutermostLoop() {
  return QThread::currentThread()->loopLevel() == (mainLoopRunning ? 1 : 0);
}

}  // namespace app
