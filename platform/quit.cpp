#include "platform/quit.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>

namespace platform {
namespace {

// QCoreApplication::exit does nothing while no event loop runs, which is the
// case when a page asks to exit during start-up, before the main loop has
// begun. The request then waits in the queue until a loop is there to end.
void exitWhenALoopRuns(int exitCode) {
  if (QThread::currentThread()->loopLevel() > 0) {
    QCoreApplication::exit(exitCode);
  } else {
    QTimer::singleShot(1, QCoreApplication::instance(), [exitCode] { exitWhenALoopRuns(exitCode); });
  }
}

}  // namespace

void postQuit(int exitCode) {
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr) return;
  QMetaObject::invokeMethod(
      app, [exitCode] { exitWhenALoopRuns(exitCode); }, Qt::QueuedConnection);
}

}  // namespace platform
