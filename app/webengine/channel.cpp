#include "app/webengine/channel.h"

#include <QRandomGenerator>

namespace app::webengine {
namespace {

// Kinds of call, after the marker.
constexpr char kCommand = 'c';
constexpr char kDeleteLater = 'd';
constexpr char kDocumentCreated = 'n';

// The prompt() of the document as it was created: page script may replace
// window.prompt later, never this copy. Strict and in a closure, so that
// nothing of it is reachable from the page.
const char* const kInstallTemplate = R"js((function () {
  'use strict';
  var prompt = window.prompt;
  var marker = '%1';
  prompt.call(window, marker + 'n', String(location.href));
  if (location.protocol !== 'file:') return;
  var result = '';
  var object = {};
  Object.defineProperty(object, 'command', {
    enumerable: true,
    get: function () { return ''; },
    set: function (text) {
      var answer = prompt.call(window, marker + 'c', String(text));
      if (answer !== null) result = answer;
    }
  });
  Object.defineProperty(object, 'result', {
    enumerable: true,
    get: function () { return result; },
    set: function (text) { result = String(text); }
  });
  Object.defineProperty(object, 'deleteLater', {
    value: function () { prompt.call(window, marker + 'd', ''); }
  });
  window.myObject = object;
})();
)js";

}  // namespace

Channel::Channel() {
  QRandomGenerator* random = QRandomGenerator::system();
  marker_ = QStringLiteral("\u0001pageshell-%1%2:")
                .arg(random->generate64(), 16, 16, QLatin1Char('0'))
                .arg(random->generate64(), 16, 16, QLatin1Char('0'));
}

QString Channel::installScript() const {
  return QString::fromLatin1(kInstallTemplate).arg(marker_);
}

std::optional<ChannelCall> Channel::callOf(const QString& promptMessage) const {
  if (promptMessage.size() != marker_.size() + 1 || !promptMessage.startsWith(marker_)) {
    return std::nullopt;
  }
  switch (promptMessage.back().toLatin1()) {
    case kCommand: return ChannelCall::Command;
    case kDeleteLater: return ChannelCall::DeleteLater;
    case kDocumentCreated: return ChannelCall::DocumentCreated;
    default: return std::nullopt;
  }
}

QString Channel::deliveryScript(const std::vector<QString>& records) {
  // One loop over the records as data: a try of its own for each record's
  // text costs the engine several times more.
  QString script = QStringLiteral(
      "if (location.protocol === 'file:') {\n"
      "  (function (records) {\n"
      "    function rethrow(e) { setTimeout(function () { throw e; }); }\n"
      "    for (var i = 0; i < records.length; i++) {\n"
      "      try { WebBrowserUtil_callback(records[i]); } catch (e) { rethrow(e); }\n"
      "    }\n"
      "  })([\n");
  for (const QString& record : records) {
    script += record;
    script += QStringLiteral(",\n");
  }
  script += QStringLiteral("]);\n  true;\n} else { false; }");
  return script;
}

}  // namespace app::webengine
