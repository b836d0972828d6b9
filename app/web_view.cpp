#include "app/web_view.h"

#include <QWidget>

#include <set>
#include <utility>

#include "app/page_hooks.h"
#include "bridge/callback.h"

namespace app {
namespace {

std::string urlText(const QUrl& url) { return url.toString().toUtf8().toStdString(); }

// `ids` each once, in order: for a line about the loss of their records.
std::string identifierList(const std::vector<bridge::PageRecord>& records) {
  std::set<std::string> seen;
  std::string text;
  for (const bridge::PageRecord& record : records) {
    if (!seen.insert(record.id).second) continue;
    text += (seen.size() == 1 ? "" : ", ") + record.id;
  }
  return text;
}

}  // namespace

void WebView::deliverRecords(const std::vector<bridge::PageRecord>& records) {
  if (!channel_.inOwnDocument()) {
    hooks_.log("Callback not delivered to a non-local document [" + urlText(address()) + "]");
    return;
  }
  // The document may change before the batch reaches it: the batch looks
  // again where it runs, and says false in a document without myObject. No
  // value at all is a batch that never ran.
  runScript(script_.deliveryScript(records), [this, lost = identifierList(records)](
                                                 const QVariant& ran) {
    if (ran.toBool()) return;
    if (ran.isValid()) {
      hooks_.log("Callback not delivered to a non-local document [" + urlText(address()) + "]");
      return;
    }
    hooks_.log("Callback not delivered [" + lost +
               "]: the document went, or its renderer ended, before the records ran in it");
  });
}

void WebView::showDeveloperTools() {
  if (toolsWindow_ == nullptr) return;
  toolsWindow_->show();
  toolsWindow_->raise();
  toolsWindow_->activateWindow();
}

void WebView::adoptDeveloperTools(QWidget* tools) {
  toolsWindow_ = tools;
  tools->setObjectName(QStringLiteral("webInspector"));
  tools->setWindowFlags(Qt::Window);
  tools->setWindowTitle(QStringLiteral("Web Inspector"));
  tools->resize(1000, 640);
}

void WebView::allowContextMenu(bool debug) {
  widget()->setContextMenuPolicy(debug ? Qt::DefaultContextMenu : Qt::PreventContextMenu);
}

void WebView::loadStarted() {
  loadFinished_ = false;
  bridge::holdCallbacksFor(this);
}

void WebView::loadEnded() {
  loadFinished_ = true;
  bridge::releaseCallbacksFor(this);
}

void WebView::addressChanged(const QUrl& url) {
  // A document that runs no script (a sandboxed one, say) announces nothing:
  // the engine's address says where the main frame is.
  if (!channel_.localDocuments().contains(url)) channel_.leaveDocument();
  hooks_.addressChanged(url);
}

void WebView::documentLost(const std::string& reason) {
  channel_.leaveDocument();
  bridge::holdCallbacksFor(this);
  hooks_.pageLost(reason);
}

}  // namespace app
