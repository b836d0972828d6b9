// The reading of redirect answers and the resolution of their locations,
// on any bytes.
//
// Input: a base URL up to the first line feed, then response heads
// separated by zero bytes. Each head that is a redirect moves a trail on
// from the base. Checks what must hold whatever the bytes: a location comes
// only from a redirect status; every address reached has a resource a
// request line can carry, free of fragments and dot segments, reads back as
// the same address from its own text (unless its port names none, so that it
// is refused before it connects), and is never plain http after https;
// no trail grows past its limit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "http/redirect.h"
#include "http/response_head.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

bool plainResource(const std::string& resource) {
  if (resource.empty() || resource[0] != '/') return false;
  for (const char c : resource) {
    if (static_cast<unsigned char>(c) <= 0x20 || static_cast<unsigned char>(c) >= 0x7f ||
        c == '#') {
      return false;
    }
  }
  const std::string path = resource.substr(0, resource.find('?')) + "/";
  return path.find("/./") == std::string::npos && path.find("/../") == std::string::npos;
}

// A host that its address's text gives back as it is.
bool plainHost(const std::string& host) { return host.find_first_of("/?#@:") == std::string::npos; }

void checkAddress(const WebAddress& base, const WebAddress& address) {
  require(plainResource(address.addr.resource().str()));
  // A port that names none keeps its text as written, and is never requested.
  if (!plainHost(address.addr.host().str()) || !address.badPort.empty()) return;
  const std::optional<WebAddress> again = resolveLocation(base, address.text());
  require(again && again->text() == address.text() && again->secure == address.secure);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t lineEnd = input.find('\n');
  if (lineEnd == std::string::npos) return 0;
  const WebAddress base = parseAddress(input.substr(0, lineEnd));
  RedirectTrail trail(base);
  int hops = 0;
  for (std::size_t begin = lineEnd + 1; begin <= input.size();) {
    const std::size_t end = std::min(input.find('\0', begin), input.size());
    const AnsiString head = input.substr(begin, end - begin);
    begin = end + 1;
    const std::optional<std::string> location = redirectLocation(head);
    if (!location) continue;
    const std::optional<int> code = statusCode(head);
    require(code && *code / 100 == 3 && !location->empty());
    const WebAddress from = trail.current();
    if (trail.follow(*location)) continue;
    ++hops;
    require(hops <= kMaxRedirects);
    require(!from.secure || trail.current().secure);
    checkAddress(base, trail.current());
  }
  return 0;
}
