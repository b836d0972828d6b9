#include "bridge/callback.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QString>

#include "bridge/cmd_state.h"
#include "bridge/js_invoker.h"

namespace bridge {

std::string callbackScript(const Record& record) {
  return "WebBrowserUtil_callback(" + writeList(record) + ");";
}

void deliverCallback(QWebPage* page, const Record& record) {
  const std::string text = callbackScript(record);
  JSInvoker::instance().post(page, QString::fromUtf8(text.data(), static_cast<int>(text.size())));
}

void acceptCallbacksFor(QWebPage* page) { JSInvoker::instance().open(page); }

void refuseCallbacksFor(QWebPage* page) { JSInvoker::instance().close(page); }

namespace {

// Read and written on the GUI thread only.
CmdState*& logTarget() {
  static CmdState* target = nullptr;
  return target;
}

}  // namespace

void postLog(const std::string& message) {
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr) return;
  // The target is looked up when the line runs on the GUI thread, so a line
  // queued just before the window went away finds none and is dropped.
  QMetaObject::invokeMethod(
      app,
      [message] {
        if (logTarget() != nullptr) logTarget()->log(message);
      },
      Qt::QueuedConnection);
}

void setLogTarget(CmdState* target) { logTarget() = target; }

}  // namespace bridge
