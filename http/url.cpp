#include "http/url.h"

#include <optional>

namespace {

// True when `text` starts with `prefix` (upper case), ASCII case ignored.
bool startsWithScheme(const AnsiString& text, const AnsiString& prefix) {
  return text.Length() >= prefix.Length() && text.Substring(1, prefix.Length()).ToUpper() == prefix;
}

// The port `text` names: decimal digits alone, 1..65535.
std::optional<int> portNumber(const std::string& text) {
  if (text.empty()) return std::nullopt;
  int port = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    port = port * 10 + (c - '0');
    if (port > 65535) return std::nullopt;
  }
  if (port == 0) return std::nullopt;
  return port;
}

}  // namespace

std::string WebAddress::authority() const {
  std::string text = addr.host().str();
  if (!badPort.empty()) return text + ":" + badPort;
  if (addr.port() != defaultPort(secure)) text += ":" + std::to_string(addr.port());
  return text;
}

std::string WebAddress::text() const {
  return (secure ? "https://" : "http://") + authority() + addr.resource().str();
}

int defaultPort(bool secure) { return secure ? 443 : 80; }

WebAddress webAddress(bool secure, const AnsiString& hostPart, const AnsiString& resource) {
  WebAddress address;
  address.secure = secure;
  const int colon = hostPart.Find(":");
  if (colon == 0) {
    address.addr = HttpAddr(hostPart, defaultPort(secure), resource);
    return address;
  }
  const std::string portText = hostPart.Substring(colon + 1, hostPart.Length()).str();
  const std::optional<int> port =
      portText.empty() ? std::optional<int>(defaultPort(secure)) : portNumber(portText);
  if (!port) address.badPort = portText;
  address.addr = HttpAddr(hostPart.Substring(1, colon - 1), port.value_or(0), resource);
  return address;
}

WebAddress parseAddress(const AnsiString& url) {
  bool secure = false;
  AnsiString rest = url;
  if (startsWithScheme(rest, "HTTPS://")) {
    secure = true;
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
  return webAddress(secure, hostPart, resource);
}

HttpAddr parseUrl(const AnsiString& url) { return parseAddress(url).addr; }
