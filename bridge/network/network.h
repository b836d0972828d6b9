// The network commands: downloads over HTTP into files, and a plain TCP
// exchange. Both answer at once and do their work on a worker thread
// (bridge/worker.h), reporting records [id, "pass", event, ...]:
//   [id, "pass", "progress", percent]   "0" first, then as the work goes
//   [id, "pass", "finish", ...]         the end: "100" came just before
//   [id, "pass", "error", message]      the end, after a failure
// Every call ends in exactly one "finish" or "error" record, whatever the
// network does; failures never show in the immediate answer.
#pragma once

#include "bridge/command_table.h"

namespace bridge::network {

// 3 callback id, 4 URL, 5 file extension (optional). Downloads the URL over
// HTTP/1.0 into a new file in the temporary folder, named
// <folder><YYYYMMDD-hhmmss>.<number>.<id>[.<extension>], created before the
// answer so that no two downloads share it. ["OK", path]; records "progress"
// ("10" once the response head is in, then percentages of the announced
// length, or "5" without one, at most once a second), "finish" with the path,
// or "error" with "Problem HTTP: " and the engine's message. A response
// whose status is not 2xx, or whose body falls short of its Content-Length,
// is a failure too: "Problem HTTP: " and its status line or the reason, and
// no "100" before it. The file stays, also after a failure; when no new
// file could be made, nothing is fetched. Every wait (the connect, each send,
// each receive) ends after 30 seconds.
Answer ajaxToFile(CommandContext& context);

// 3 callback id, 4 host, 5 port (1..65534), 6 data, 7 options (see
// tcp_exchange.h). ["OK", id]; records "progress" "0" and "100", then
// "finish" with the answer's header part and body part, or one "error". An
// answer whose record would be too large to hand to the page ends in the
// reading failure, decided before "100".
Answer tcpPush(CommandContext& context);

}  // namespace bridge::network
