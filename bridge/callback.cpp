#include "bridge/callback.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QString>

#include <algorithm>
#include <mutex>
#include <vector>

#include "bridge/cmd_state.h"
#include "bridge/js_invoker.h"

namespace bridge {
namespace {

// Pages that may receive callbacks. The lock is held while an invoker is made
// and queued, so a page cannot be refused (and then destroyed) half-way.
struct OpenPages {
  std::mutex mutex;
  std::vector<QWebPage*> pages;
};

OpenPages& openPages() {
  static auto* pages = new OpenPages;  // never destroyed: workers may outlive main
  return *pages;
}

}  // namespace

std::string callbackScript(const Record& record) {
  return "WebBrowserUtil_callback(" + writeList(record) + ");";
}

void deliverCallback(QWebPage* page, const Record& record) {
  const std::string text = callbackScript(record);
  const QString script = QString::fromUtf8(text.data(), static_cast<int>(text.size()));
  OpenPages& open = openPages();
  std::lock_guard<std::mutex> lock(open.mutex);
  if (std::find(open.pages.begin(), open.pages.end(), page) == open.pages.end()) return;
  auto* invoker = new JSInvoker(page, script);
  QMetaObject::invokeMethod(invoker, "run", Qt::QueuedConnection);
}

void acceptCallbacksFor(QWebPage* page) {
  OpenPages& open = openPages();
  std::lock_guard<std::mutex> lock(open.mutex);
  open.pages.push_back(page);
}

void refuseCallbacksFor(QWebPage* page) {
  OpenPages& open = openPages();
  std::lock_guard<std::mutex> lock(open.mutex);
  open.pages.erase(std::remove(open.pages.begin(), open.pages.end(), page), open.pages.end());
}

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
