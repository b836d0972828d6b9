// Waiting for the engine's asynchronous answers in a loop of our own.
#pragma once

#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>

namespace app::webengine {

// Waits in a loop of its own until the function `run` is given is called,
// for at most `limit` (a renderer that never answers must not hang the
// shell); gives the value it was called with, or an empty one.
template <class Value>
Value waitFor(const std::function<void(std::function<void(const Value&)>)>& run,
              std::chrono::milliseconds limit = std::chrono::seconds(30)) {
  struct Wait {
    QEventLoop loop;
    Value value{};
    bool finished = false;
  };
  // Shared with the callback, which may come after the wait has given up.
  auto wait = std::make_shared<Wait>();
  run([wait](const Value& result) {
    wait->value = result;
    wait->finished = true;
    wait->loop.quit();
  });
  if (!wait->finished) {
    QTimer::singleShot(limit, &wait->loop, &QEventLoop::quit);
    wait->loop.exec(QEventLoop::ExcludeUserInputEvents);
  }
  return wait->value;
}

}  // namespace app::webengine
