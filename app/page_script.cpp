#include "app/page_script.h"

#include <QRandomGenerator>

#include "bridge/protocol/protocol.h"

namespace app {
namespace {

// Strict and in a closure, so that nothing of it is reachable from the page
// but myObject and the record queue's entry, which has a random name.
const char* const kInstallTemplate = R"js((function () {
  'use strict';
  var bind = Function.prototype.bind;
  var toText = String;
  var defineProperty = Object.defineProperty;
  var setTimer = bind.call(setTimeout, window);
  var reportError = window.reportError && bind.call(window.reportError, window);
  var send = %1;
  if (send('n', toText(location.href)) !== '%2') return;
  var blocked = %3;
  var result = '';
  var object = {};
  defineProperty(object, 'command', {
    enumerable: true,
    get: function () { return ''; },
    set: function (text) {
      var answer = send('c', toText(text));
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
    value: function () { send('d', ''); }
  });
  window.myObject = object;

  // An exception of a callback is the page's own uncaught error: its
  // handlers and the console hear of it with its message and line (and the
  // thrown object where the engine gives it), never as a "Script error." of
  // this script. An engine without reportError() takes those from the
  // exception when it is thrown again from a timer.
  function report(e) {
    if (reportError) return reportError(e);
    setTimer(function () { throw e; });
  }
  // Records not yet handed to the page, from `next` on. A delivery made
  // while a callback waits in a nested event loop appends to them, and the
  // loop it runs takes the older ones first.
  var queue = [];
  var next = 0;
  defineProperty(window, '%4', {
    value: function (records) {
      if (next === queue.length) {
        queue = records;
        next = 0;
      } else {
        for (var i = 0; i < records.length; i++) queue[queue.length] = records[i];
      }
      while (next < queue.length) {
        var record = queue[next];
        queue[next++] = undefined;
        try { WebBrowserUtil_callback(record); } catch (e) { report(e); }
      }
      queue = [];
      next = 0;
      return true;
    }
  });
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

}  // namespace

QString randomToken() {
  QRandomGenerator* random = QRandomGenerator::system();
  return QStringLiteral("%1%2")
      .arg(random->generate64(), 16, 16, QLatin1Char('0'))
      .arg(random->generate64(), 16, 16, QLatin1Char('0'));
}

PageScript::PageScript() : queueName_(QStringLiteral("_records") + randomToken()) {}

QString PageScript::installScript(const QString& nativeCall) const {
  return QString::fromLatin1(kInstallTemplate)
      .arg(nativeCall, QLatin1String(kOwnDocument),
           quoted(bridge::writeList(bridge::errorAnswer(kBlockedCommand))), queueName_);
}

QString PageScript::deliveryScript(const std::vector<bridge::PageRecord>& records) const {
  // The records as data in one array: a script of its own for each record's
  // call costs the engine several times more.
  QString script = QStringLiteral("(function (deliver) {\n"
                                  "  return deliver ? deliver([\n");
  for (const bridge::PageRecord& record : records) {
    script += record.text;
    script += QStringLiteral(",\n");
  }
  script += QStringLiteral("  ]) : false;\n})(window.") + queueName_ + QStringLiteral(");");
  return script;
}

}  // namespace app
