#include "bridge/worker.h"

#include <cerrno>
#include <string>
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

const char* kindName(platform::WorkKind kind) {
  switch (kind) {
    case platform::WorkKind::kDatabase: return "database";
    case platform::WorkKind::kZip: return "ZIP";
    case platform::WorkKind::kNetwork: return "network";
  }
  return "";
}

// What the data held by waiting work of `kind` is waiting for.
std::string dataWaitsFor(platform::WorkKind kind) {
  if (kind == platform::WorkKind::kNetwork) return "to be sent";
  if (kind == platform::WorkKind::kDatabase) return "for the database";
  return std::string("for ") + kindName(kind) + " commands";
}

// Why work of `kind` was not taken, for the command's answer.
std::string refusal(platform::WorkKind kind, const platform::Status& started) {
  const platform::WorkLimits limits = platform::workLimits(kind);
  switch (started.code()) {
    case EBUSY:
      return std::string("too many ") + kindName(kind) + " commands at once [" +
             std::to_string(limits.workers) + " running and " + std::to_string(limits.queued) +
             " waiting]";
    case ENOBUFS:
      return std::string("too much data waiting ") + dataWaitsFor(kind) + " [more than " +
             std::to_string(limits.queuedBytes) + " bytes]";
    default: return "no thread for the command: " + started.reason();
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
               std::shared_ptr<std::mutex> serialise, std::size_t heldBytes) {
  const platform::Status started = platform::startDetached(
      kind,
      [channel = std::move(channel), work = std::move(work), failure,
       serialise = std::move(serialise)] {
        if (!serialise) {
          runGuarded(channel, work, failure);
          return;
        }
        std::lock_guard<std::mutex> lock(*serialise);
        runGuarded(channel, work, failure);
      },
      heldBytes);
  if (!started.ok()) throw CmdException(refusal(kind, started));
}

}  // namespace bridge
