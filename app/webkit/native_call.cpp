#include "app/webkit/native_call.h"

#include <QWebFrame>

#include "app/page_channel.h"
#include "bridge/utf8_text.h"

namespace app {
namespace {

const char* const kNativeCallTemplate = R"js((function () {
    var native = window.%1;
    delete window.%1;
    return function (kind, text) {
      native[kind] = text;
      return native.answer;
    };
  })())js";

}  // namespace

NativeCall::NativeCall(PageChannel& channel, QWebFrame* frame)
    : QObject(frame), channel_(channel), frame_(frame), name_(QStringLiteral("_native") + randomToken()) {}

QString NativeCall::nativeCall() const { return QString::fromLatin1(kNativeCallTemplate).arg(name_); }

void NativeCall::send(PageCall call, const QString& text) {
  const QUrl address = frame_->url();
  const QByteArray bytes = bridge::utf8Bytes(text);
  const std::optional<std::string> answer = channel_.answer(
      call, address, address, std::string_view(bytes.constData(), bytes.size()));
  answer_ = answer ? bridge::fromUtf8(*answer) : QString();
}

}  // namespace app
