// The network commands: downloads over HTTP(S) into files, and a plain TCP
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

#include "bridge/command_calls.h"
