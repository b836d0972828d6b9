// Reading a URL into the scheme, host, port and resource of a request.
#pragma once

#include <string>

#include "http/http_types.h"
#include "runtime/ansi_string.h"

// Where a request goes, and whether over TLS.
struct WebAddress {
  bool secure = false;  // https
  HttpAddr addr;
  // The port as the URL wrote it when that is no number in 1..65535
  // ("8080x", "0", "70000"); addr's port is then 0, and the address is
  // never connected to. Empty for a good port.
  std::string badPort;

  // "<host>[:<port>]", the port left out when it is the scheme's own: what
  // the Host line names.
  std::string authority() const;

  // "http[s]://<authority><resource>". For the log, and for telling two
  // hops apart.
  std::string text() const;
};

int defaultPort(bool secure);

// "http://" or "https://" (any case) is dropped and says the scheme; with
// neither the address is plain http, and any other scheme stays part of the
// host. The resource runs from the first '/' to the end ("/" without one);
// the host part before it may end in ":<port>". No port, or an empty one,
// means the scheme's own (80 or 443); one that is not made of digits alone
// naming 1..65535 is kept as the badPort. Never fails.
WebAddress parseAddress(const AnsiString& url);

// parseAddress(url).addr.
HttpAddr parseUrl(const AnsiString& url);

// The address of the host part "<host>[:<port>]" and the resource, its port
// read as parseAddress reads it.
WebAddress webAddress(bool secure, const AnsiString& hostPart, const AnsiString& resource);
