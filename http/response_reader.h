// The reading half of a request: from a connected socket to the result.
// Kept apart from Http so that any stream of bytes, a peer's or a fuzzer's,
// can be read exactly as a response is.
#pragma once

#include <cstddef>

#include "http/http.h"
#include "platform/output_file.h"
#include "platform/tcp_socket.h"

// The longest response head read: a peer that sends header lines without
// end would otherwise fill the memory.
inline constexpr std::size_t kMaxHeadBytes = std::size_t{1} << 20;

// Reads the response on `socket` until the peer closes the connection, as
// Http::perform() describes, reporting headers and read steps to `callback`.
// With a file output the body goes into `file`, open for writing, which is
// closed on return; otherwise `file` is not used. Takes the socket over: it
// is closed on return, whatever the outcome.
HttpResult readResponse(platform::TcpSocket socket, const HttpOutput& output,
                        platform::OutputFile file, int timeoutSeconds, HttpCb& callback);

// The `file` error for an output file at `path` that cannot be opened or
// written.
HttpResult outputFileFailure(const AnsiString& path);
