#include "app/webengine/channel.h"

namespace app::webengine {
namespace {

constexpr PageCall kCalls[] = {PageCall::Command, PageCall::DeleteLater,
                               PageCall::DocumentCreated};

// Taken as the document is created, before any script of the page runs.
const char* const kNativeCallTemplate = R"js((function () {
    var prompt = Function.prototype.bind.call(window.prompt, window);
    var marker = '%1';
    return function (kind, text) { return prompt(marker + kind, text); };
  })())js";

// What each kind of call stands for, in log lines.
QString callName(PageCall call) {
  switch (call) {
    case PageCall::Command: return QStringLiteral("myObject.command");
    case PageCall::DeleteLater: return QStringLiteral("myObject.deleteLater()");
    case PageCall::DocumentCreated: break;
  }
  return QStringLiteral("document");
}

}  // namespace

Channel::Channel() : marker_(QStringLiteral("\u0001pageshell-") + randomToken() + QLatin1Char(':')) {}

QString Channel::nativeCall() const { return QString::fromLatin1(kNativeCallTemplate).arg(marker_); }

std::optional<PageCall> Channel::callOf(const QString& promptMessage) const {
  if (promptMessage.size() != marker_.size() + 1 || !promptMessage.startsWith(marker_)) {
    return std::nullopt;
  }
  for (const PageCall call : kCalls) {
    if (promptMessage.back() == QLatin1Char(static_cast<char>(call))) return call;
  }
  return std::nullopt;
}

QString Channel::withoutMarker(const QString& text) const {
  if (!text.contains(marker_)) return text;
  QString readable = text;
  for (const PageCall call : kCalls) {
    readable.replace(marker_ + QLatin1Char(static_cast<char>(call)), callName(call));
  }
  return readable.replace(marker_, QString());
}

}  // namespace app::webengine
