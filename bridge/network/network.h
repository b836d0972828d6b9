// The network commands: downloads over HTTP into files, and a plain TCP
// exchange. Both answer at once and do their work on a worker thread
// (bridge/worker.h), reporting records [id, "pass", event, ...]:
//   [id, "pass", "progress", percent]   "0" first, then as the work goes
//   [id, "pass", "finish", ...]         the end: "100" came just before
//   [id, "pass", "error", message]      the end, after a failure
// Every call ends in exactly one "finish" or "error" record, whatever the
// network does; the immediate answer fails only when the network queue
// refuses the call (platform/threads.h), which then starts nothing. Their
// arguments, answers and records are described in bridge/commands.h.
#pragma once

#include "bridge/command_table.h"

namespace bridge::network {

// Downloads the URL over HTTP/1.0 into a new file in the temporary folder,
// created before the answer so that no two downloads share it, and closed
// until the download runs (download.h). The file stays once a byte of a
// response came, also after a failure; without one it is removed.
Answer ajaxToFile(CommandContext& context);

// The exchange of tcp_exchange.h.
Answer tcpPush(CommandContext& context);

}  // namespace bridge::network
