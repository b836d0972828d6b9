#include "bridge/callback.h"

#include <QMetaObject>
#include <QString>

#include <algorithm>
#include <mutex>
#include <vector>

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
  const QString script = QString::fromUtf8(callbackScript(record).c_str());
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

}  // namespace bridge
