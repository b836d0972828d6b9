// What the engine sends: URL parsing and the request bytes, exactly.
#include <gtest/gtest.h>

#include <future>

#include "http/http.h"
#include "http/request_text.h"
#include "http/url.h"
#include "runtime/exception.h"
#include "tests/support/local_peer.h"

namespace {

using support::LocalPeer;

void expectAddr(const AnsiString& url, const char* host, int port, const char* resource) {
  const HttpAddr addr = parseUrl(url);
  EXPECT_EQ(addr.host(), AnsiString(host)) << url.str();
  EXPECT_EQ(addr.port(), port) << url.str();
  EXPECT_EQ(addr.resource(), AnsiString(resource)) << url.str();
}

TEST(ParseUrl, SplitsHostPortAndResource) {
  expectAddr("http://h:8080/a?b=1", "h", 8080, "/a?b=1");
  expectAddr("HTTP://h", "h", 80, "/");
  expectAddr("HtTp://h/", "h", 80, "/");
  expectAddr("h:/p:1/q", "h", 80, "/p:1/q");
  expectAddr("h:00065535", "h", 65535, "/");
  for (const char* port : {"x", "44913x", "0", "65536", "+80", "1:2"}) {
    const WebAddress address = parseAddress(std::string("h:") + port + "/ok");
    EXPECT_EQ(address.badPort, port) << "kept to be refused, never read as 80";
    EXPECT_EQ(address.text(), std::string("http://h:") + port + "/ok");
  }
}

TEST(ParseUrl, HttpsMeansTlsAndItsOwnPort) {
  const WebAddress secure = parseAddress("HTTPS://h/x");
  EXPECT_TRUE(secure.secure);
  expectAddr("HTTPS://h/x", "h", 443, "/x");
  expectAddr("https://h:8443", "h", 8443, "/");
  EXPECT_FALSE(parseAddress("http://h/x").secure);
  EXPECT_FALSE(parseAddress("h/x").secure);
  EXPECT_EQ(parseAddress("https://h:443/x").text(), "https://h/x");
  EXPECT_EQ(parseAddress("https://h:80/x").text(), "https://h:80/x");
}

TEST(ParseUrl, OtherSchemesStayPartOfTheText) {
  expectAddr("ftp://h/x", "ftp", 80, "//h/x");
  expectAddr("http:/", "http", 80, "/");  // six bytes: too short for the prefix
  expectAddr("", "", 80, "/");
}

HttpParams params(std::initializer_list<std::pair<const char*, const char*>> pairs) {
  HttpParams list;
  for (const auto& [name, value] : pairs) list.Add(HttpParam(name, value));
  return list;
}

// The request `configure` makes, as the peer received it: its head and
// announced body, then whatever else came before the engine closed.
std::string onTheWire(const std::function<void(Http&)>& configure,
                      const std::string& resource = "/") {
  std::promise<std::string> received;
  LocalPeer peer([&received](support::PeerConnection& c) {
    std::string request = c.readHttpRequest();
    c.send("HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n");
    c.endSending();
    received.set_value(request + c.readUntilClosed());
  });
  Http http(peer.url(resource), nullptr);
  configure(http);
  const HttpResult result = http.perform();
  EXPECT_TRUE(result.isBody());
  std::string request = received.get_future().get();
  const std::string host = "Host: 127.0.0.1:" + std::to_string(peer.port()) + "\r\n";
  const std::size_t at = request.find(host);
  if (at == std::string::npos) return request;  // the comparison shows the Host line
  return request.replace(at, host.size(), "Host: <peer>\r\n");
}

TEST(RequestBytes, GetSendsItsHeadAndNothingAfterIt) {
  EXPECT_EQ(onTheWire([](Http&) {}, "/a?b=1"),
            "GET /a?b=1 HTTP/1.0\r\nHost: <peer>\r\nContent-Length: 0\r\n\r\n");
  EXPECT_EQ(onTheWire([](Http& http) { http.setMethod(HttpMethod::head()); }),
            "HEAD / HTTP/1.0\r\nHost: <peer>\r\nContent-Length: 0\r\n\r\n");
}

TEST(RequestBytes, PostSendsTheFormEncodedParametersAndNothingAfterThem) {
  EXPECT_EQ(onTheWire([](Http& http) {
              http.setMethod(HttpMethod::post());
              http.setParams(params({{"a", "1 2"}, {"b", "x&y"}}));
            }),
            "POST / HTTP/1.0\r\nHost: <peer>\r\n"
            "Content-Type: application/x-www-form-urlencoded\r\n"
            "Content-Length: 13\r\n\r\na=1+2&b=x%26y");
}

TEST(RequestBytes, AuthorizationHeadersAndCookiesInTheirOrder) {
  EXPECT_EQ(onTheWire([](Http& http) {
              http.setAuth(HttpAuth::basic(HttpBasicAuth("u", "p")));
              http.setHeaders(params({{"X-One", "1 2"}, {"Accept", "*/*"}}));
              HttpCookies cookies;
              cookies.Add(HttpCookie("s", "a b;"));
              cookies.Add(HttpCookie("t", "1"));
              http.setCookies(cookies);
            }),
            "GET / HTTP/1.0\r\nHost: <peer>\r\nAuthorization: Basic dTpw\r\n"
            "X-One: 1 2\r\nAccept: */*\r\nCookie: s=a+b%3B\r\nCookie: t=1\r\n"
            "Content-Length: 0\r\n\r\n");
}

TEST(RequestBytes, EachByteBelongsToANamedPart) {
  HttpParams headers = params({{"X-A", "1"}});
  const RequestText request = composeRequest(HttpMethod::post(), parseAddress("h/"),
                                             HttpAuth::basic(HttpBasicAuth("u", "p")),
                                             params({{"a", "1"}}), headers, HttpCookies());
  std::vector<std::string> names;
  for (const RequestPart& part : request.parts) names.push_back(part.name);
  EXPECT_EQ(names,
            (std::vector<std::string>{"Method", "Host", "ContentType", "Authorization",
                                      "Headers - X-A", "Content-Length", "End1", "Content"}));
  EXPECT_EQ(request.partAt(0), "Method");
  EXPECT_EQ(request.partAt(request.bytes.find("Host")), "Host");
  EXPECT_EQ(request.partAt(request.bytes.find("a=1")), "Content");
  EXPECT_EQ(request.partAt(request.bytes.size() - 1), "Content");
  EXPECT_EQ(request.partAt(request.bytes.size()), "");
}

// A line break would send the rest as lines nobody wrote, a port past 16
// bits would reach another port, and one that is no number no port at all:
// none gets as far as a connection.
TEST(RequestBytes, LineBreaksAndPortsThatNameNoneAreRefusedBeforeConnecting) {
  LocalPeer peer(LocalPeer::answering("HTTP/1.0 200 OK\r\n\r\n"));
  const std::string port = std::to_string(peer.port());
  const auto refusal = [](const std::string& url, HttpParams headers = HttpParams()) {
    Http http(url, nullptr);
    http.setHeaders(headers);
    const HttpResult result = http.perform();
    return result.isError() ? result.asError().msg().str() : "no error";
  };
  const std::string broken = "Znak końca wiersza w części żądania ";
  EXPECT_EQ(refusal("127.0.0.1:" + port + "/ok\r\nX-Injected: yes"), broken + "[Method]");
  EXPECT_EQ(refusal("127.0.0.1\nX:" + port), broken + "[Host]");
  EXPECT_EQ(refusal("127.0.0.1:" + port, params({{"X-A", "1\rX-Injected: yes"}})),
            broken + "[Headers - X-A]");
  EXPECT_EQ(
      refusal("127.0.0.1:" + std::to_string(peer.port() + 65536)),
      "Problem z połączeniem [port poza zakresem: " + std::to_string(peer.port() + 65536) + "]");
  EXPECT_EQ(refusal("127.0.0.1:" + port + "x/ok"),
            "Problem z połączeniem [port poza zakresem: " + port + "x]");
  EXPECT_TRUE(peer.requests().empty());
}

TEST(RequestBytes, AMethodOrAuthenticationWithoutACaseIsThrown) {
  const WebAddress addr = parseAddress("h/");
  const auto messageOf = [&](const HttpMethod& method, const HttpAuth& auth) {
    try {
      composeRequest(method, addr, auth, HttpParams(), HttpParams(), HttpCookies());
    } catch (const Exception& e) {
      return e.Message().str();
    }
    return std::string("nothing thrown");
  };
  EXPECT_EQ(messageOf(HttpMethod(), HttpAuth::none()), "HttpMethod");
  EXPECT_EQ(messageOf(HttpMethod::get(), HttpAuth()), "HttpPostAuth");
  EXPECT_EQ(messageOf(HttpMethod(), HttpAuth()), "HttpMethod");
}

}  // namespace
