// Local HTTP servers, over TLS and plain, for the tests and benchmarks of
// downloads: tls_peers.py run by Python (its ssl module), with certificates
// that the openssl command makes at test time. tls_peers.py describes the
// certificates, the servers and their routes.
#pragma once

#include <sys/types.h>

#include <map>
#include <string>

#include "tests/support/scratch.h"

namespace support {

// A test authority and its server certificates (good, expired, othername,
// unknown), made in a scratch folder that goes with the object. Throws
// std::runtime_error when they cannot be made.
class TestAuthority {
 public:
  TestAuthority();

  const std::string& directory() const { return directory_.path(); }
  // The authority's certificate: the trust file a client gets through
  // SSL_CERT_FILE.
  std::string trustFile() const { return directory_ / "ca.pem"; }

 private:
  Directory directory_;
};

// The servers a JSON description makes, {"name": server, ...}, serving on
// 127.0.0.1 from construction until destruction. Throws std::runtime_error
// when they cannot start.
class TlsPeers {
 public:
  TlsPeers(const TestAuthority& authority, const std::string& servers);
  ~TlsPeers();
  TlsPeers(const TlsPeers&) = delete;
  TlsPeers& operator=(const TlsPeers&) = delete;

  int port(const std::string& name) const { return ports_.at(name); }
  // "https://127.0.0.1:<port>" + resource, and the same with http.
  std::string https(const std::string& name, const std::string& resource = "/") const;
  std::string http(const std::string& name, const std::string& resource = "/") const;

 private:
  // Ends the server and waits for it.
  void stop();

  pid_t server_ = -1;
  int input_ = -1;  // the server's standard input: it serves until this closes
  std::map<std::string, int> ports_;
};

}  // namespace support
