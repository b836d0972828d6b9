// Reading a URL into the scheme, host, port and resource of a request.
#pragma once

#include <string>

#include "http/http_types.h"
#include "runtime/ansi_string.h"

// Where a request goes, and whether over TLS.
struct WebAddress {
  bool secure = false;  // https
  HttpAddr addr;

  // "http[s]://<host>[:<port>]<resource>", the port left out when it is the
  // scheme's own. For the log, and for telling two hops apart.
  std::string text() const;
};

int defaultPort(bool secure);

// "http://" or "https://" (any case) is dropped and says the scheme; with
// neither the address is plain http, and any other scheme stays part of the
// host. The resource runs from the first '/' to the end ("/" without one);
// the host part before it may end in ":<port>". A port that is no number
// means the scheme's own (80 or 443), and so does none; no range is
// checked. Never fails.
WebAddress parseAddress(const AnsiString& url);

// parseAddress(url).addr.
HttpAddr parseUrl(const AnsiString& url);

// The host and port of an address's host part, "<host>[:<port>]", as
// parseAddress reads them.
HttpAddr hostAndPort(const AnsiString& hostPart, bool secure, const AnsiString& resource);
