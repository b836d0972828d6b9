#include "app/web_view.h"

#include "app/page_hooks.h"
#include "bridge/callback.h"

namespace app {

void WebView::loadStarted() {
  loadFinished_ = false;
  bridge::holdCallbacksFor(this);
}

void WebView::loadEnded() {
  loadFinished_ = true;
  bridge::releaseCallbacksFor(this);
}

void WebView::documentLost(const std::string& reason) {
  bridge::holdCallbacksFor(this);
  hooks_.pageLost(reason);
}

}  // namespace app
