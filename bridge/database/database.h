// The database commands: a local SQLite database for page script.
//
// Each command names its database by a directory and a file name and uses its
// own connection for its own work (sqlite_connection.h). sqliteOpen,
// sqliteExecute and sqliteQuery run on the GUI thread inside the script call;
// sqliteAsyncExecute and sqliteAsyncQuery answer at once and do their work on
// the one database worker (platform/threads.h), which holds CmdState's
// database mutex meanwhile and reports one callback record each:
//   [id, "pass", "execute" | "query", "OK", ...] or [..., "ERROR", message].
// The worker takes them first in, first out, so their work and records come
// in the order the page issued them. When too many wait, or too much SQL,
// they are refused at once (worker.h).
// A failure is always answered as one: the synchronous commands throw
// CmdException with SQLite's message, which the dispatcher answers as
// ["ERROR", message].
//
// The command implementations are CmdState's first virtual operations
// (cmd_state.h); the handlers read a request's arguments for them. The bound
// commands bind values to one statement's parameters (bound_values.h):
// answers, records and failures as for the others, but that the bound
// queries answer a blob as the base64 of its bytes; values that cannot be
// bound fail where the statement would. The bound batches run several such
// statements as one transaction on one connection, the PRAGMA statements at
// their head before it (SqliteConnection::execute).
#pragma once

#include "bridge/command_calls.h"
