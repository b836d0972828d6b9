#include "bridge/callback.h"

#include <QString>

#include "bridge/cmd_state.h"
#include "bridge/js_invoker.h"

namespace bridge {

std::string recordText(const Record& record) {
  return writeList(record, kMaxAnswerBytes, TextReader::kScript);
}

void deliverCallback(Page* page, const Record& record) {
  const std::string text = recordText(record);
  JSInvoker::instance().post(page, record.empty() ? std::string() : record.front(),
                             QString::fromUtf8(text.data(), static_cast<int>(text.size())));
}

void acceptCallbacksFor(Page* page) { JSInvoker::instance().open(page); }

void refuseCallbacksFor(Page* page) { JSInvoker::instance().close(page); }

void holdCallbacksFor(Page* page) { JSInvoker::instance().hold(page); }

void releaseCallbacksFor(Page* page) { JSInvoker::instance().release(page); }

namespace {

// Read and written on the GUI thread only.
CmdState*& logTarget() {
  static CmdState* target = nullptr;
  return target;
}

}  // namespace

void postLog(const std::string& message) {
  // Through the callback queue, so that a worker's line and its records
  // reach the log and the page in the order the worker posted them. The
  // target is looked up when the line's turn comes, so a line queued just
  // before the window went away finds none and is dropped.
  JSInvoker::instance().postTask([message] {
    if (logTarget() != nullptr) logTarget()->log(message);
  });
}

void setLogTarget(CmdState* target) { logTarget() = target; }

}  // namespace bridge
