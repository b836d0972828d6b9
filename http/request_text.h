// The bytes of an HTTP/1.0 request, in the order the engine sends them, with
// the name of each part so that a failed send can say which part it was.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "http/http_types.h"
#include "http/url.h"

struct RequestPart {
  std::string name;  // "Method", "Host", ..., "Content"; see composeRequest
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
//   "Host"            Host: <host>[:<port>]    (the port unless it is the scheme's own)
//   "ContentType"     Content-Type: application/x-www-form-urlencoded (post only)
//   "Authorization"   Authorization: Basic <base64 of user:passwd> (basic only)
//   "Headers - <name>" <name>: <value>          (each extra header, unencoded)
//   "Cookie"          Cookie: <name>=<urlEncoded value>  (each cookie)
//   "Content-Length"  Content-Length: <body length>  (always, 0 without params)
//   "End1"            the empty line that ends the head
//   "Content"         the form body, exactly as long as the head says; no
//                     part when it is empty
// Nothing follows: a peer that keeps reading finds no bytes the head did not
// announce. Throws Exception("HttpMethod") for a method that holds no case
// and Exception("HttpPostAuth") for such an authentication.
RequestText composeRequest(const HttpMethod& method, const WebAddress& target, const HttpAuth& auth,
                           const HttpParams& params, const HttpParams& headers,
                           const HttpCookies& cookies);
