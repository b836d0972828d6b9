#include "bridge/exit_request.h"

#include <QCoreApplication>

namespace bridge {
namespace {

std::optional<int>& requested() {
  static std::optional<int> code;
  return code;
}

}  // namespace

void requestExit(int exitCode) {
  requested() = exitCode;
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr) return;
  // exit() ends every loop the GUI thread is running when it is called.
  QMetaObject::invokeMethod(
      app, [exitCode] { QCoreApplication::exit(exitCode); }, Qt::QueuedConnection);
}

std::optional<int> requestedExit() { return requested(); }

}  // namespace bridge
