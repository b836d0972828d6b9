#include "bridge/js_invoker.h"

#include <QWebFrame>

namespace bridge {

JSInvoker::JSInvoker(QWebPage* page, const QString& script) : page_(page), script_(script) {
  moveToThread(page->thread());
}

void JSInvoker::run() {
  if (page_ != nullptr) {
    QWebFrame* frame = page_->currentFrame();
    if (frame == nullptr) frame = page_->mainFrame();
    if (frame != nullptr) frame->evaluateJavaScript(script_);
  }
  deleteLater();
}

}  // namespace bridge
