#include "app/web_view.h"

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

}  // namespace app
