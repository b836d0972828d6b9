#include "app/webkit/native_call.h"

#include <QWebFrame>

#include "app/page_channel.h"

namespace app {
namespace {

const char* const kNativeCallTemplate = R"js((function () {
    var native = window.%1;
    delete window.%1;
    return function (kind, text) { return native.send(kind, text); };
  })())js";

}  // namespace

NativeCall::NativeCall(PageChannel& channel, QWebFrame* frame)
    : QObject(frame), channel_(channel), frame_(frame), name_(QStringLiteral("_native") + randomToken()) {}

QString NativeCall::nativeCall() const { return QString::fromLatin1(kNativeCallTemplate).arg(name_); }

QString NativeCall::send(const QString& kind, const QString& text) {
  const QUrl address = frame_->url();
  const PageCall call = static_cast<PageCall>(kind.isEmpty() ? 0 : kind.front().toLatin1());
  if (call != PageCall::Command && call != PageCall::DeleteLater &&
      call != PageCall::DocumentCreated) {
    return QString();
  }
  return channel_.answer(call, address, address, text).value_or(QString());
}

}  // namespace app
