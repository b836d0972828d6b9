#include "app/webengine/answer_scheme.h"

#include <QIODevice>
#include <QWebEngineUrlScheme>

#include <algorithm>
#include <cstring>
#include <utility>

#include "app/page_script.h"

namespace app::webengine {
namespace {

// An answer's bytes as the engine reads them, without a copy.
class AnswerDevice : public QIODevice {
 public:
  AnswerDevice(std::string text, QObject* parent) : QIODevice(parent), text_(std::move(text)) {
    open(QIODevice::ReadOnly);
  }
  bool isSequential() const override { return false; }
  qint64 size() const override { return static_cast<qint64>(text_.size()); }

 protected:
  qint64 readData(char* data, qint64 most) override {
    const qint64 at = pos();
    const qint64 count = std::min(most, size() - at);
    if (count <= 0) return count == 0 ? 0 : -1;
    std::memcpy(data, text_.data() + at, static_cast<std::size_t>(count));
    return count;
  }
  qint64 writeData(const char*, qint64) override { return -1; }

 private:
  const std::string text_;
};

}  // namespace

const char* const AnswerScheme::kName = "pageshell-answer";

void AnswerScheme::registerScheme() {
  QWebEngineUrlScheme scheme(kName);
  scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
  // Local, like the app's own files, so that their documents may fetch from
  // it and nothing on the network can.
  scheme.setFlags(QWebEngineUrlScheme::LocalScheme | QWebEngineUrlScheme::LocalAccessAllowed |
                  QWebEngineUrlScheme::CorsEnabled);
  QWebEngineUrlScheme::registerScheme(scheme);
}

QString AnswerScheme::add(Entry entry) {
  for (auto it = entries_.begin(); it != entries_.end();) {
    it = it->second.ready ? entries_.erase(it) : std::next(it);
  }
  const QString token = randomToken();
  entries_.emplace(token, std::move(entry));
  return token;
}

QString AnswerScheme::keep(std::string answer) {
  Entry entry;
  entry.answer = std::move(answer);
  entry.ready = true;
  return add(std::move(entry));
}

QString AnswerScheme::expect() { return add(Entry()); }

void AnswerScheme::fulfil(const QString& token, std::optional<std::string> answer) {
  const auto found = entries_.find(token);
  if (found == entries_.end()) return;
  if (found->second.waiting) {
    QWebEngineUrlRequestJob* job = found->second.waiting;
    entries_.erase(found);
    reply(job, std::move(answer));
    return;
  }
  found->second.answer = std::move(answer);
  found->second.ready = true;
}

std::optional<std::string> AnswerScheme::take(const QString& token) {
  const auto found = entries_.find(token);
  if (found == entries_.end() || !found->second.ready) return std::nullopt;
  std::optional<std::string> answer = std::move(found->second.answer);
  entries_.erase(found);
  return answer;
}

void AnswerScheme::requestStarted(QWebEngineUrlRequestJob* job) {
  const auto found = entries_.find(job->requestUrl().path());
  if (found == entries_.end() || found->second.waiting) {
    job->fail(QWebEngineUrlRequestJob::UrlNotFound);
    return;
  }
  if (!found->second.ready) {
    found->second.waiting = job;
    return;
  }
  std::optional<std::string> answer = std::move(found->second.answer);
  entries_.erase(found);
  reply(job, std::move(answer));
}

void AnswerScheme::reply(QWebEngineUrlRequestJob* job, std::optional<std::string> answer) {
  if (!answer) {
    job->fail(QWebEngineUrlRequestJob::RequestFailed);
    return;
  }
  job->reply(QByteArrayLiteral("text/plain;charset=utf-8"),
             new AnswerDevice(std::move(*answer), job));
}

}  // namespace app::webengine
