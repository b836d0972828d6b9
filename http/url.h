// Reading a URL into the host, port and resource of a request.
#pragma once

#include "http/http_types.h"
#include "runtime/ansi_string.h"

// "http://" (any case) is dropped; any other scheme stays part of the host.
// The resource runs from the first '/' to the end ("/" without one); the
// host part before it may end in ":<port>". A port that is no number means
// 80, and so does none; no range is checked. Never fails.
HttpAddr parseUrl(const AnsiString& url);
