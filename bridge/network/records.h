// The records both network commands send.
#pragma once

#include <string>

#include "bridge/worker.h"

namespace bridge::network {

inline Record progressRecord(const WorkerChannel& channel, const std::string& percent) {
  Record record = channel.record("progress");
  record.push_back(percent);
  return record;
}

// Also the record for whatever the work throws (a FailureRecord).
inline Record errorRecord(const WorkerChannel& channel, const std::string& message) {
  Record record = channel.record("error");
  record.push_back(message);
  return record;
}

}  // namespace bridge::network
