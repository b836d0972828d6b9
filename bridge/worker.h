// The frame every asynchronous command runs in.
//
// A command reads its arguments on the GUI thread (so that one without a text
// form is answered to the page), copies what the work needs into the work's
// closure, calls runWorker and answers at once. The work runs on a worker
// thread (platform/threads.h): it touches no Qt widget and reaches the page
// only through its WorkerChannel, as records [callback id, "pass", event,
// ...]. Whatever the work throws, and a record too large for the page, ends
// as the one failure record the command defines, and the failure is logged;
// nothing escapes the thread.
//
// runWorker is called on the GUI thread; a channel is used on its worker.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "bridge/protocol/protocol.h"
#include "platform/threads.h"

namespace bridge {

class Page;

class WorkerChannel {
 public:
  WorkerChannel(Page* page, std::string callbackId, std::string command);

  const std::string& callbackId() const { return callbackId_; }
  // The command's name, for log lines.
  const std::string& command() const { return command_; }

  // [callback id, "pass", event, values...]: every record a command sends is
  // made here. Values are moved in when given as temporaries.
  template <class... Values>
  Record record(const char* event, Values&&... values) const {
    Record made;
    made.reserve(3 + sizeof...(values));
    made.emplace_back(callbackId_);
    made.emplace_back(kPass);
    made.emplace_back(event);
    (made.emplace_back(std::forward<Values>(values)), ...);
    return made;
  }

  // Delivers a record to the page (callback.h). Throws CmdException when it
  // is too large to deliver; nothing is delivered then.
  void deliver(const Record& record) const;

 private:
  Page* page_;
  std::string callbackId_;
  std::string command_;
};

// The record a command reports its failure with, made from the message; for
// example [id, "pass", "query", "ERROR", message].
using FailureRecord = Record (*)(const WorkerChannel& channel, const std::string& message);

// [id, "pass", "error", message]: the failure record of the commands whose
// failures end in an "error" record carrying the message.
Record errorRecord(const WorkerChannel& channel, const std::string& message);

using Work = std::function<void(const WorkerChannel& channel)>;

// Runs `work` on a worker thread of its `kind` for the page `channel`
// names. With `serialise`, the work holds that lock from its start until its
// last record, failure included, has been posted: such commands run one at a
// time, in the order they get the lock. `heldBytes` is the memory the work's
// closure holds while it waits (platform/threads.h bounds it).
//
// Throws CmdException, and the command answers the failure instead of "OK",
// when the kind's queue refuses the work:
//   "too many network commands at once [128 running and 256 waiting]"
//   "too much data waiting to be sent [more than 67108864 bytes]"
//   "too many ZIP commands at once [64 running and 256 waiting]"
//   "too much data waiting for ZIP commands [more than 67108864 bytes]"
//   "too much data waiting for the database [more than 67108864 bytes]"
// (each kind with its own name and bounds), or when no thread can be had:
//   "no thread for the command: " and the system's reason.
// The work is then destroyed unrun, on the calling thread.
void runWorker(platform::WorkKind kind, WorkerChannel channel, Work work, FailureRecord failure,
               std::shared_ptr<std::mutex> serialise = nullptr, std::size_t heldBytes = 0);

}  // namespace bridge
