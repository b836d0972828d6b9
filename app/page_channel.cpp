#include "app/page_channel.h"

#include "app/page_hooks.h"

namespace app {

std::optional<std::string> PageChannel::answer(PageCall call, const QUrl& origin,
                                               const QUrl& address, std::string_view text) {
  const bool own = localDocuments_.contains(origin);
  if (call == PageCall::DocumentCreated) {
    ownDocument_ = own;
    // A document of ours says where it is: the engine's address may still
    // be the last document's (Qt 6.8 now and then). An error page's own
    // address says nothing of the one asked for, which the engine's does.
    const bool engineKnowsBetter = !own && !address.isEmpty();
    hooks_.documentCreated(
        engineKnowsBetter ? address
                          : QUrl(QString::fromUtf8(text.data(), static_cast<int>(text.size()))),
        own);
    if (!own) return std::nullopt;
    return std::string(kOwnDocument);
  }
  if (!own) {
    // A data: document's origin is opaque: the page's address says more.
    const QUrl from = origin.isEmpty() ? address : origin;
    hooks_.log("Request refused from a non-local document [" +
               from.toString().toUtf8().toStdString() + "]");
    return std::nullopt;
  }
  if (call == PageCall::DeleteLater) {
    hooks_.requestDeletion();
    return std::nullopt;
  }
  ++commands_;
  struct Done {
    int& commands;
    ~Done() { --commands; }
  } done{commands_};
  return hooks_.runCommand(text);
}

}  // namespace app
