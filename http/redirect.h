// Following redirects: which answers send a request on, where to, and when
// to stop. No state beyond a RedirectTrail's own; any thread.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "http/url.h"
#include "runtime/ansi_string.h"

// The most redirects one request follows.
inline constexpr int kMaxRedirects = 5;

// The Location of a head whose status is 301, 302, 303, 307 or 308; nothing
// for any other head, or for one without a Location or with an empty one.
std::optional<std::string> redirectLocation(const AnsiString& head);

// `location` resolved against `base`, as a reference from the base's page:
// an absolute http or https URL, a scheme-relative "//host...", an absolute
// path, a query alone, or a path relative to the base's folder. Its fragment
// is dropped, "." and ".." segments of its path are removed, and bytes that
// cannot stand in a request line (controls, blanks, non-ASCII) are
// percent-encoded. Credentials before an '@' in the host part are dropped.
// Nothing for a location with another scheme, or one without "//".
std::optional<WebAddress> resolveLocation(const WebAddress& base, const std::string& location);

// The addresses one request has been sent to, from the first on.
class RedirectTrail {
 public:
  explicit RedirectTrail(WebAddress first) : hops_{std::move(first)} {}

  const WebAddress& current() const { return hops_.back(); }

  // Moves on to `location`, resolved against the current address. Nothing
  // when it may; otherwise why the request ends there, in Polish: a hop past
  // kMaxRedirects, an address that cannot be followed, a step down from
  // https to http, or an address the trail has been to before.
  std::optional<std::string> follow(const std::string& location);

 private:
  std::vector<WebAddress> hops_;
};
