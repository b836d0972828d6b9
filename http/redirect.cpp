#include "http/redirect.h"

#include <cctype>

#include "http/header_value.h"
#include "http/response_head.h"

namespace {

std::string lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The scheme of an absolute reference ("http" of "http://h/"), lower case;
// "" for a relative one.
std::string schemeOf(const std::string& reference) {
  const std::size_t colon = reference.find(':');
  if (colon == std::string::npos || colon == 0 ||
      !std::isalpha(static_cast<unsigned char>(reference[0]))) {
    return std::string();
  }
  for (std::size_t i = 1; i < colon; ++i) {
    const unsigned char c = static_cast<unsigned char>(reference[i]);
    if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return std::string();
  }
  return lower(reference.substr(0, colon));
}

// A path with its "." and ".." segments applied, as a browser does; it
// starts with '/' whether `path` does or not.
std::string withoutDotSegments(std::string path) {
  if (path.empty() || path[0] != '/') path.insert(0, 1, '/');
  std::vector<std::string> segments;
  std::size_t begin = 1;  // past the leading '/'
  for (;;) {
    const std::size_t end = path.find('/', begin);
    const std::string segment = path.substr(begin, end - begin);
    const bool last = end == std::string::npos;
    if (segment == "..") {
      if (!segments.empty()) segments.pop_back();
      if (last) segments.emplace_back();
    } else if (segment == ".") {
      if (last) segments.emplace_back();
    } else {
      segments.push_back(segment);
    }
    if (last) break;
    begin = end + 1;
  }
  std::string result;
  for (const std::string& segment : segments) result += "/" + segment;
  return result.empty() ? "/" : result;
}

// The resource of a request line: path made plain, then the query, with
// every byte a request line cannot carry percent-encoded.
std::string resourceOf(const std::string& pathAndQuery) {
  const std::size_t question = pathAndQuery.find('?');
  const std::string path = withoutDotSegments(pathAndQuery.substr(0, question));
  const std::string whole =
      question == std::string::npos ? path : path + pathAndQuery.substr(question);
  static const char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (const char c : whole) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte > 0x20 && byte < 0x7f) {
      encoded += c;
    } else {
      encoded += '%';
      encoded += kHex[byte >> 4];
      encoded += kHex[byte & 15];
    }
  }
  return encoded;
}

// "//<host part><path and query>", the part after a scheme.
WebAddress fromAuthority(bool secure, const std::string& reference) {
  const std::size_t end = reference.find_first_of("/?", 2);
  std::string hostPart = reference.substr(2, end - 2);
  if (const std::size_t at = hostPart.rfind('@'); at != std::string::npos) {
    hostPart = hostPart.substr(at + 1);
  }
  const std::string rest = end == std::string::npos ? std::string() : reference.substr(end);
  return webAddress(secure, hostPart, resourceOf(rest));
}

}  // namespace

std::optional<std::string> redirectLocation(const AnsiString& head) {
  const std::optional<int> code = statusCode(head);
  if (!code || !(*code == 301 || *code == 302 || *code == 303 || *code == 307 || *code == 308)) {
    return std::nullopt;
  }
  const std::string location = headerValue(head, "Location").str();
  if (location.empty()) return std::nullopt;
  return location;
}

std::optional<WebAddress> resolveLocation(const WebAddress& base, const std::string& location) {
  const std::string reference = location.substr(0, location.find('#'));
  const std::string scheme = schemeOf(reference);
  if (!scheme.empty()) {
    const std::size_t rest = scheme.size() + 1;
    if ((scheme != "http" && scheme != "https") || reference.compare(rest, 2, "//") != 0) {
      return std::nullopt;
    }
    return fromAuthority(scheme == "https", reference.substr(rest));
  }
  if (reference.compare(0, 2, "//") == 0) return fromAuthority(base.secure, reference);

  // The page's own URL may carry a fragment, which no reference keeps.
  const std::string& baseText = base.addr.resource().str();
  const std::string baseResource = baseText.substr(0, baseText.find('#'));
  const std::string basePath = baseResource.substr(0, baseResource.find('?'));
  std::string pathAndQuery;
  if (reference.empty()) {
    pathAndQuery = baseResource;
  } else if (reference[0] == '/') {
    pathAndQuery = reference;
  } else if (reference[0] == '?') {
    pathAndQuery = basePath + reference;
  } else {
    pathAndQuery = basePath.substr(0, basePath.rfind('/') + 1) + reference;
  }
  WebAddress address = base;
  address.addr = HttpAddr(base.addr.host(), base.addr.port(), resourceOf(pathAndQuery));
  return address;
}

std::optional<std::string> RedirectTrail::follow(const std::string& location) {
  if (static_cast<int>(hops_.size()) > kMaxRedirects) {
    return "Zbyt wiele przekierowań [ponad " + std::to_string(kMaxRedirects) + "]";
  }
  const std::optional<WebAddress> next = resolveLocation(current(), location);
  if (!next) return "Przekierowanie pod nieobsługiwany adres [" + location + "]";
  if (current().secure && !next->secure) {
    return "Odrzucono przekierowanie z HTTPS na HTTP [" + next->text() + "]";
  }
  for (const WebAddress& hop : hops_) {
    if (hop.text() == next->text()) return "Pętla przekierowań [" + next->text() + "]";
  }
  hops_.push_back(*next);
  return std::nullopt;
}
