#include "app/webengine/channel.h"

#include "app/webengine/answer_scheme.h"

namespace app::webengine {
namespace {

constexpr ChannelCall kCalls[] = {ChannelCall::Command, ChannelCall::DeleteLater,
                                  ChannelCall::DocumentCreated, ChannelCall::PageCopy,
                                  ChannelCall::TakeAnswer};

// Taken as the document is created, before any script of the page runs, so
// that a page that replaces what it uses changes nothing.
const char* const kNativeCallTemplate = R"js((function () {
    var bind = Function.prototype.bind;
    var method = function (f) { return bind.call(Function.prototype.call, f); };
    var prompt = bind.call(window.prompt, window);
    var Request = XMLHttpRequest;
    var open = method(Request.prototype.open);
    var send = method(Request.prototype.send);
    var responseText =
        method(Object.getOwnPropertyDescriptor(Request.prototype, 'responseText').get);
    var startsWith = method(String.prototype.startsWith);
    var slice = method(String.prototype.slice);
    var marker = '%1';
    var copyWanted = '%2';
    var fetchPrefix = '%3';
    var answers = '%4';
    // Only the app's own files may fetch from the answer scheme.
    var fileDocument = location.protocol === 'file:';

    // A synchronous request waits in the engine, which meanwhile goes on
    // with its own work: the command behind the answer may need it.
    function fetch(token) {
      if (!fileDocument) return prompt(marker + 'a', token);
      try {
        var request = new Request();
        open(request, 'GET', answers + token, false);
        send(request);
        return responseText(request);
      } catch (e) {
        return prompt(marker + 'a', token);
      }
    }

    // The document as it looks now, for printing: form values and canvas
    // pictures written into the copy, style rules a script added written
    // out, addresses resolved against the page's, no script.
    function keepState(from, to) {
      switch (from.localName) {
        case 'input':
          if (from.type === 'checkbox' || from.type === 'radio') {
            if (from.checked) to.setAttribute('checked', ''); else to.removeAttribute('checked');
          } else if (from.type !== 'password' && from.type !== 'file') {
            to.setAttribute('value', from.value);
          }
          break;
        case 'textarea':
          to.textContent = from.value;
          break;
        case 'select':
          for (var i = 0; i < from.options.length && i < to.options.length; i++) {
            if (from.options[i].selected) to.options[i].setAttribute('selected', '');
            else to.options[i].removeAttribute('selected');
          }
          break;
        case 'style':
          try {
            var rules = from.sheet ? from.sheet.cssRules : [];
            var text = '';
            for (var j = 0; j < rules.length; j++) text += rules[j].cssText + '\n';
            to.textContent = text;
          } catch (e) {}
          break;
        case 'canvas':
          try {
            var picture = document.createElement('img');
            for (var k = 0; k < from.attributes.length; k++) {
              picture.setAttribute(from.attributes[k].name, from.attributes[k].value);
            }
            picture.setAttribute('width', from.width);
            picture.setAttribute('height', from.height);
            picture.src = from.toDataURL();
            to.replaceWith(picture);
          } catch (e) {}
          break;
      }
    }
    function pageCopy() {
      if (!fileDocument) return '';
      try {
        var root = document.documentElement;
        var copy = root.cloneNode(true);
        var kept = 'input, textarea, select, style, canvas';
        var live = root.querySelectorAll(kept);
        var copied = copy.querySelectorAll(kept);
        for (var i = 0; i < live.length && i < copied.length; i++) keepState(live[i], copied[i]);
        var left = copy.querySelectorAll('script, noscript, base, meta[charset], meta[http-equiv]');
        for (var j = 0; j < left.length; j++) left[j].remove();
        var head = copy.querySelector('head') ||
            copy.insertBefore(document.createElement('head'), copy.firstChild);
        var adopted = document.adoptedStyleSheets || [];
        for (var k = 0; k < adopted.length; k++) {
          var style = document.createElement('style');
          var adoptedRules = adopted[k].cssRules;
          for (var r = 0; r < adoptedRules.length; r++) {
            style.textContent += adoptedRules[r].cssText + '\n';
          }
          head.appendChild(style);
        }
        var base = document.createElement('base');
        base.setAttribute('href', document.baseURI);
        head.insertBefore(base, head.firstChild);
        var charset = document.createElement('meta');
        charset.setAttribute('charset', 'utf-8');
        head.insertBefore(charset, head.firstChild);
        var doctype =
            document.doctype ? new XMLSerializer().serializeToString(document.doctype) : '';
        return doctype + copy.outerHTML;
      } catch (e) {
        return '';
      }
    }

    return function (kind, text) {
      var answer = prompt(marker + kind, text);
      if (answer === copyWanted) answer = prompt(marker + 'p', pageCopy());
      if (answer !== null && startsWith(answer, fetchPrefix)) {
        return fetch(slice(answer, fetchPrefix.length));
      }
      return answer;
    };
  })())js";

// What each kind of call stands for, in log lines.
QString callName(ChannelCall call) {
  switch (call) {
    case ChannelCall::Command:
    case ChannelCall::PageCopy:
    case ChannelCall::TakeAnswer: return QStringLiteral("myObject.command");
    case ChannelCall::DeleteLater: return QStringLiteral("myObject.deleteLater()");
    case ChannelCall::DocumentCreated: break;
  }
  return QStringLiteral("document");
}

}  // namespace

Channel::Channel() : marker_(QStringLiteral("\u0001pageshell-") + randomToken() + QLatin1Char(':')) {}

QString Channel::nativeCall() const {
  return QString::fromLatin1(kNativeCallTemplate)
      .arg(marker_, copyWanted(), fetchAnswer(QString()),
           QLatin1String(AnswerScheme::kName) + QLatin1Char(':'));
}

std::optional<ChannelCall> Channel::callOf(const QString& promptMessage) const {
  if (promptMessage.size() != marker_.size() + 1 || !promptMessage.startsWith(marker_)) {
    return std::nullopt;
  }
  for (const ChannelCall call : kCalls) {
    if (promptMessage.back() == QLatin1Char(static_cast<char>(call))) return call;
  }
  return std::nullopt;
}

QString Channel::copyWanted() const { return marker_ + QStringLiteral("copy"); }

QString Channel::fetchAnswer(const QString& token) const {
  return marker_ + QStringLiteral("answer:") + token;
}

QString Channel::withoutMarker(const QString& text) const {
  if (!text.contains(marker_)) return text;
  QString readable = text;
  for (const ChannelCall call : kCalls) {
    readable.replace(marker_ + QLatin1Char(static_cast<char>(call)), callName(call));
  }
  return readable.replace(marker_, QString());
}

}  // namespace app::webengine
