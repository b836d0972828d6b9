#include "app/webengine/channel.h"

#include <QRandomGenerator>

#include <string>

#include "bridge/protocol/protocol.h"

namespace app::webengine {
namespace {

// Kinds of call, after the marker.
constexpr char kCommand = 'c';
constexpr char kDeleteLater = 'd';
constexpr char kDocumentCreated = 'n';

// Taken as the document is created, before any script of the page runs:
// page script may replace globals and prototypes later, never these copies,
// and no call here goes through anything the page can reach. Strict and in
// a closure, so that nothing of it is reachable from the page.
const char* const kInstallTemplate = R"js((function () {
  'use strict';
  var bind = Function.prototype.bind;
  var prompt = bind.call(window.prompt, window);
  var toText = String;
  var defineProperty = Object.defineProperty;
  var marker = '%1';
  prompt(marker + 'n', toText(location.href));
  if (location.protocol !== 'file:') return;
  var blocked = %2;
  var result = '';
  var object = {};
  defineProperty(object, 'command', {
    enumerable: true,
    get: function () { return ''; },
    set: function (text) {
      var answer = prompt(marker + 'c', toText(text));
      // The shell answers every command it gets: null is a call the engine
      // did not let through.
      result = answer === null ? blocked : answer;
    }
  });
  defineProperty(object, 'result', {
    enumerable: true,
    get: function () { return result; },
    set: function (text) { result = toText(text); }
  });
  defineProperty(object, 'deleteLater', {
    value: function () { prompt(marker + 'd', ''); }
  });
  window.myObject = object;
})();
)js";

// `text` as a script's string literal.
QString quoted(const std::string& text) {
  QString literal = QStringLiteral("'");
  for (const QChar c : QString::fromStdString(text)) {
    if (c == QLatin1Char('\\') || c == QLatin1Char('\'')) literal += QLatin1Char('\\');
    if (c == QLatin1Char('\n')) {
      literal += QStringLiteral("\\n");
      continue;
    }
    literal += c;
  }
  return literal + QLatin1Char('\'');
}

// What each kind of call stands for, in log lines.
QString callName(char kind) {
  switch (kind) {
    case kCommand: return QStringLiteral("myObject.command");
    case kDeleteLater: return QStringLiteral("myObject.deleteLater()");
    default: return QStringLiteral("document");
  }
}

}  // namespace

Channel::Channel() {
  QRandomGenerator* random = QRandomGenerator::system();
  marker_ = QStringLiteral("\u0001pageshell-%1%2:")
                .arg(random->generate64(), 16, 16, QLatin1Char('0'))
                .arg(random->generate64(), 16, 16, QLatin1Char('0'));
}

QString Channel::installScript() const {
  return QString::fromLatin1(kInstallTemplate)
      .arg(marker_, quoted(bridge::writeList(bridge::errorAnswer(kBlockedCommand))));
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

QString Channel::withoutMarker(const QString& text) const {
  if (!text.contains(marker_)) return text;
  QString readable = text;
  for (const char kind : {kCommand, kDeleteLater, kDocumentCreated}) {
    readable.replace(marker_ + QLatin1Char(kind), callName(kind));
  }
  return readable.replace(marker_, QString());
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
