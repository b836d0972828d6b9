#include "bridge/worker.h"

#include <utility>

#include "bridge/callback.h"
#include "bridge/failure.h"
#include "bridge/protocol/cmd_exception.h"
#include "platform/threads.h"

namespace bridge {
namespace {

void runGuarded(const WorkerChannel& channel, const Work& work, FailureRecord failure) {
  std::string message;
  try {
    work(channel);
    return;
  } catch (...) {
    message = currentFailure();
  }
  postLog("Command failed [" + channel.command() + "]: " + message);
  try {
    channel.deliver(failure(channel, message));
  } catch (...) {
    // Not even the failure record could be delivered (no memory left): there
    // is no way left to tell the page, and the shell must keep running.
  }
}

}  // namespace

WorkerChannel::WorkerChannel(Page* page, std::string callbackId, std::string command)
    : page_(page), callbackId_(std::move(callbackId)), command_(std::move(command)) {}

void WorkerChannel::deliver(const Record& record) const { deliverCallback(page_, record); }

Record errorRecord(const WorkerChannel& channel, const std::string& message) {
  return channel.record("error", message);
}

void runWorker(platform::WorkKind kind, WorkerChannel channel, Work work, FailureRecord failure,
               std::shared_ptr<std::mutex> serialise) {
  const platform::Status started =
      platform::startDetached(kind, [channel = std::move(channel), work = std::move(work), failure,
                                     serialise = std::move(serialise)] {
        if (!serialise) {
          runGuarded(channel, work, failure);
          return;
        }
        std::lock_guard<std::mutex> lock(*serialise);
        runGuarded(channel, work, failure);
      });
  if (!started.ok()) throw CmdException("no thread for the command: " + started.reason());
}

}  // namespace bridge
