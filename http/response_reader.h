// The reading half of a request: from a connected socket to the result.
// Kept apart from Http so that any stream of bytes, a peer's or a fuzzer's,
// can be read exactly as a response is.
#pragma once

#include "http/http.h"
#include "platform/tcp_socket.h"

// Reads the response on `socket` until the peer closes the connection, as
// Http::perform() describes, reporting headers and read steps to `callback`.
// Takes the socket over: it is closed on return, whatever the outcome.
HttpResult readResponse(platform::TcpSocket socket, const HttpOutput& output, int timeoutSeconds,
                        HttpCb& callback);
