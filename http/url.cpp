#include "http/url.h"

namespace {

// True when `text` starts with `prefix` (upper case), ASCII case ignored.
bool startsWithScheme(const AnsiString& text, const AnsiString& prefix) {
  return text.Length() >= prefix.Length() && text.Substring(1, prefix.Length()).ToUpper() == prefix;
}

}  // namespace

std::string WebAddress::text() const {
  std::string text = secure ? "https://" : "http://";
  text += addr.host().str();
  if (addr.port() != defaultPort(secure)) text += ":" + std::to_string(addr.port());
  return text + addr.resource().str();
}

int defaultPort(bool secure) { return secure ? 443 : 80; }

HttpAddr hostAndPort(const AnsiString& hostPart, bool secure, const AnsiString& resource) {
  const int colon = hostPart.Find(":");
  if (colon == 0) return HttpAddr(hostPart, defaultPort(secure), resource);
  return HttpAddr(hostPart.Substring(1, colon - 1),
                  hostPart.Substring(colon + 1, hostPart.Length()).ToIntOr(defaultPort(secure)),
                  resource);
}

WebAddress parseAddress(const AnsiString& url) {
  WebAddress address;
  AnsiString rest = url;
  if (startsWithScheme(rest, "HTTPS://")) {
    address.secure = true;
    rest = rest.Substring(9, rest.Length());
  } else if (startsWithScheme(rest, "HTTP://")) {
    rest = rest.Substring(8, rest.Length());
  }
  AnsiString hostPart = rest;
  AnsiString resource = "/";
  if (const int slash = rest.Find("/"); slash > 0) {
    hostPart = rest.Substring(1, slash - 1);
    resource = rest.Substring(slash, rest.Length());
  }
  address.addr = hostAndPort(hostPart, address.secure, resource);
  return address;
}

HttpAddr parseUrl(const AnsiString& url) { return parseAddress(url).addr; }
