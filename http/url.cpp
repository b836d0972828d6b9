#include "http/url.h"

HttpAddr parseUrl(const AnsiString& url) {
  AnsiString rest = url;
  if (rest.Length() > 6 && rest.Substring(1, 7).ToUpper() == "HTTP://") {
    rest = rest.Substring(8, rest.Length());
  }
  AnsiString hostPart = rest;
  AnsiString resource = "/";
  if (const int slash = rest.Find("/"); slash > 0) {
    hostPart = rest.Substring(1, slash - 1);
    resource = rest.Substring(slash, rest.Length());
  }
  const int colon = hostPart.Find(":");
  if (colon == 0) return HttpAddr(hostPart, 80, resource);
  return HttpAddr(hostPart.Substring(1, colon - 1),
                  hostPart.Substring(colon + 1, hostPart.Length()).ToIntOr(80), resource);
}
