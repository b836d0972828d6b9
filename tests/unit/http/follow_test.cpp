// Redirects followed by the engine, between plain local peers; the hops
// over TLS are in tls_test.cpp.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "http/http.h"
#include "tests/support/local_peer.h"
#include "tests/support/scratch.h"

namespace {

using support::LocalPeer;
using support::PeerConnection;

// A peer that answers each resource with its own response; 404 for others.
LocalPeer::Serve routes(std::map<std::string, std::string> answers) {
  return [answers](PeerConnection& c) {
    const std::string request = c.readHttpRequest();
    const std::size_t begin = request.find(' ') + 1;
    const std::string resource = request.substr(begin, request.find(' ', begin) - begin);
    const auto found = answers.find(resource);
    c.send(found != answers.end() ? found->second : "HTTP/1.0 404 Not Found\r\n\r\n");
  };
}

std::string redirect(const std::string& status, const std::string& location) {
  return "HTTP/1.0 " + status + "\r\nLocation: " + location +
         "\r\nContent-Length: 13\r\n\r\nmoved, see it";
}

// Every step and hop, as "<msg>" or "redirect <status> <url>".
class Trace : public HttpCb {
 public:
  void step(const HttpStep& step) override {
    if (events.empty() || events.back() != step.msg().str()) events.push_back(step.msg().str());
  }
  void redirected(const std::string& status, const std::string& url) override {
    events.push_back("redirect " + status + " " + url);
  }
  std::vector<std::string> events;
};

std::string errorText(const HttpResult& result) {
  return result.isError() ? result.asError().msg().str() : "no error";
}

HttpResult follow(const std::string& url, HttpCb* callback = nullptr,
                  const HttpOutput& output = HttpOutput::memory()) {
  Http http(url, callback);
  http.setOutput(output);
  http.setTimeout(10);
  http.setFollowRedirects(true);
  return http.perform();
}

TEST(FollowRedirects, RelativeLocationsLeadToTheBodyThatGoesIntoTheFile) {
  LocalPeer peer(routes({{"/a/start", redirect("302 Found", "next?x=1#part")},
                         {"/a/next?x=1", redirect("301 Moved Permanently", "../final")},
                         {"/final", "HTTP/1.0 200 OK\r\nContent-Length: 4\r\n\r\nbody"}}));
  support::Directory folder("follow");
  Trace trace;
  const HttpResult result = follow(peer.url("/a/start"), &trace, HttpOutput::file(folder / "out"));
  ASSERT_TRUE(result.isFile()) << errorText(result);
  EXPECT_EQ(support::readFile(folder / "out"), "body") << "no redirect's body";
  const std::string hop = "DNS Socket Connect Odczytano nagłówki zapytania Odczyt danych";
  std::string seen;
  for (const std::string& event : trace.events) seen += (seen.empty() ? "" : " ") + event;
  EXPECT_EQ(seen, hop + " redirect HTTP/1.0 302 Found " + peer.url("/a/next?x=1") + " " + hop +
                      " redirect HTTP/1.0 301 Moved Permanently " + peer.url("/final") + " " + hop);
  EXPECT_EQ(peer.requests().size(), 3u);
}

TEST(FollowRedirects, FiveHopsAreFollowedAndASixthIsNot) {
  std::map<std::string, std::string> answers;
  for (int hop = 0; hop < 12; ++hop) {
    answers["/" + std::to_string(hop)] = redirect("307 Temporary", "/" + std::to_string(hop + 1));
  }
  answers["/5"] = "HTTP/1.0 200 OK\r\n\r\nafter five";
  LocalPeer peer(routes(answers));
  const HttpResult five = follow(peer.url("/0"));
  ASSERT_TRUE(five.isBody()) << errorText(five);
  EXPECT_EQ(five.asBody().body().str(), "after five");

  const HttpResult six = follow(peer.url("/6"));
  EXPECT_EQ(errorText(six), "Zbyt wiele przekierowań [ponad 5]");
  EXPECT_TRUE(six.isError() && six.asError().kind().isRecv());
}

TEST(FollowRedirects, ALoopEndsAtItsFirstReturn) {
  LocalPeer peer(routes({{"/a", redirect("302 Found", "/b")},
                         {"/b", redirect("303 See Other", "/a")},
                         {"/self", redirect("308 Permanent Redirect", "self")}}));
  EXPECT_EQ(errorText(follow(peer.url("/a"))), "Pętla przekierowań [" + peer.url("/a") + "]");
  EXPECT_EQ(errorText(follow(peer.url("/self"))), "Pętla przekierowań [" + peer.url("/self") + "]");
  EXPECT_EQ(peer.requests().size(), 3u);
}

// A Location's port that is no number is refused, never taken for the
// scheme's own: the request ends before it connects anywhere else.
TEST(FollowRedirects, ALocationWhosePortNamesNoneEndsTheRequest) {
  const std::string port = std::to_string(support::refusedPort());
  LocalPeer peer(routes({{"/start", redirect("302 Found", "http://127.0.0.1:" + port + "x/ok")}}));
  Trace trace;
  const HttpResult result = follow(peer.url("/start"), &trace);
  EXPECT_EQ(errorText(result), "Problem z połączeniem [port poza zakresem: " + port + "x]");
  EXPECT_TRUE(result.isError() && result.asError().kind().isConnect());
  EXPECT_EQ(trace.events.back(), "redirect HTTP/1.0 302 Found http://127.0.0.1:" + port + "x/ok");
}

// Without the switch, for a post, or without a Location, the answer is the
// redirect itself.
TEST(FollowRedirects, OnlyWhenAskedForAndWhereTheAnswerSaysWhere) {
  LocalPeer peer(routes({{"/moved", redirect("302 Found", "/there")},
                         {"/nowhere", "HTTP/1.0 302 Found\r\n\r\n"},
                         {"/there", "HTTP/1.0 200 OK\r\n\r\nthere"}}));
  Http plain(peer.url("/moved"), nullptr);
  HttpResult result = plain.perform();
  ASSERT_TRUE(result.isBody()) << errorText(result);
  EXPECT_EQ(result.asBody().headers().str().substr(0, 18), "HTTP/1.0 302 Found");

  Http post(peer.url("/moved"), nullptr);
  post.setMethod(HttpMethod::post());
  post.setFollowRedirects(true);
  result = post.perform();
  ASSERT_TRUE(result.isBody()) << errorText(result);
  EXPECT_EQ(result.asBody().body().str(), "moved, see it");

  result = follow(peer.url("/nowhere"));
  ASSERT_TRUE(result.isBody()) << errorText(result);
  EXPECT_EQ(result.asBody().headers().str(), "HTTP/1.0 302 Found");
}

// Credentials go to the address they were given for, not to wherever it
// points.
TEST(FollowRedirects, AuthenticationAndCookiesStayWithTheFirstOrigin) {
  LocalPeer elsewhere(routes({{"/there", "HTTP/1.0 200 OK\r\n\r\nthere"}}));
  LocalPeer first(routes({{"/start", redirect("302 Found", "/again")},
                          {"/again", redirect("302 Found", elsewhere.url("/there"))}}));
  Http http(first.url("/start"), nullptr);
  http.setAuth(HttpAuth::basic(HttpBasicAuth("user", "secret")));
  HttpCookies cookies;
  cookies.Add(HttpCookie("session", "s1"));
  http.setCookies(cookies);
  http.setFollowRedirects(true);
  ASSERT_TRUE(http.perform().isBody());
  ASSERT_EQ(first.requests().size(), 2u);
  for (const std::string& request : first.requests()) {
    EXPECT_NE(request.find("\r\nAuthorization: Basic "), std::string::npos) << request;
    EXPECT_NE(request.find("\r\nCookie: session=s1"), std::string::npos) << request;
  }
  const std::string away = elsewhere.requests().at(0);
  EXPECT_EQ(away.find("Authorization"), std::string::npos) << away;
  EXPECT_EQ(away.find("Cookie"), std::string::npos) << away;
}

}  // namespace
