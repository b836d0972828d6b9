// AnswerScheme: the way answers too large for the prompt() channel, and
// answers of commands that run only once the page has let go of its
// renderer, reach the page. The prompt() answers a token instead; the
// channel's script then fetches the answer with one synchronous request to
// this scheme (channel.h). Such a request waits in the engine, not in a
// handler of ours, so the engine goes on with its own work meanwhile, and
// the text crosses as UTF-8 bytes, which is several times faster for a
// large answer than a UTF-16 prompt() answer.
//
// A token is random and good for one fetch; the page fetches at once, so an
// answer not fetched by the time the next one is kept is stale and dropped.
//
// GUI thread only.
#pragma once

#include <QPointer>
#include <QString>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlSchemeHandler>

#include <map>
#include <optional>
#include <string>

namespace app::webengine {

class AnswerScheme : public QWebEngineUrlSchemeHandler {
 public:
  // The scheme's name, for the profile and the script.
  static const char* const kName;

  // Makes the scheme known to the engine; before the application object
  // exists.
  static void registerScheme();

  // The token of `answer`, ready to be fetched.
  QString keep(std::string answer);
  // The token of an answer still to come (fulfil()); a fetch waits for it.
  QString expect();
  // The answer the token of expect() stands for; nothing fails its fetch.
  void fulfil(const QString& token, std::optional<std::string> answer);
  // The answer of `token` taken without a fetch, for a page whose fetch
  // failed; nothing when there is none (yet).
  std::optional<std::string> take(const QString& token);

  void requestStarted(QWebEngineUrlRequestJob* job) override;

 private:
  struct Entry {
    std::optional<std::string> answer;
    bool ready = false;
    QPointer<QWebEngineUrlRequestJob> waiting;  // a fetch that came first
  };

  QString add(Entry entry);
  static void reply(QWebEngineUrlRequestJob* job, std::optional<std::string> answer);

  std::map<QString, Entry> entries_;
};

}  // namespace app::webengine
