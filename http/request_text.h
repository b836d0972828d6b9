// The bytes of an HTTP/1.0 request, in the order the engine sends them, with
// the name of each part so that a failed send can say which part it was.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "http/http_types.h"

struct RequestPart {
  std::string name;  // "Method", "Host", ..., "End2"; see composeRequest
  std::size_t end;   // offset just past the part's last byte in `bytes`
};

struct RequestText {
  std::string bytes;
  std::vector<RequestPart> parts;

  // The name of the part holding byte `offset` (the first byte not sent);
  // "" past the end.
  std::string partAt(std::size_t offset) const;

  // The name of the first line that holds a CR or LF of its own, and so
  // would end early and send the rest as lines the caller never wrote; ""
  // when there is none. The form body is no line: its length is sent.
  std::string brokenLine() const;
};

// Form parameters in list order as name=value joined by '&'; values are
// urlEncoded, names are not.
AnsiString formBody(const HttpParams& params);

// Each line ends in CR LF:
//   "Method"          <GET|POST|HEAD> <resource> HTTP/1.0
//   "Host"            Host: <host>             (never the port)
//   "ContentType"     Content-Type: application/x-www-form-urlencoded (post only)
//   "Authorization"   Authorization: Basic <base64 of user:passwd> (basic only)
//   "Headers - <name>" <name>: <value>          (each extra header, unencoded)
//   "Cookie"          Cookie: <name>=<urlEncoded value>  (each cookie)
//   "Content-Length"  Content-Length: <body length>  (always, 0 without params)
//   "End1"            the empty line
//   "Content"         the form body, then CR LF
//   "End2"            one more CR LF, not counted in the length
// Throws Exception("HttpMethod") for a method that holds no case and
// Exception("HttpPostAuth") for such an authentication.
RequestText composeRequest(const HttpMethod& method, const HttpAddr& addr, const HttpAuth& auth,
                           const HttpParams& params, const HttpParams& headers,
                           const HttpCookies& cookies);
