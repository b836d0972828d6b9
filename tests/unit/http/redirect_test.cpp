// Which answers are redirects, where their locations lead, and which hops a
// trail of them refuses.
#include <gtest/gtest.h>

#include <string>

#include "http/redirect.h"

namespace {

TEST(RedirectLocation, OnlyTheFiveRedirectStatusesWithALocation) {
  for (const char* code : {"301", "302", "303", "307", "308"}) {
    const std::string head = std::string("HTTP/1.0 ") + code + " Moved\r\nLocation:  /next \r\n";
    EXPECT_EQ(redirectLocation(head), "/next") << code;
  }
  for (const char* head :
       {"HTTP/1.0 300 Multiple\r\nLocation: /x",
        "HTTP/1.0 304 Not Modified\r\n"
        "Location: /x",
        "HTTP/1.0 200 OK\r\nLocation: /x", "HTTP/1.0 302 Found\r\nX: 1",
        "HTTP/1.0 302 Found\r\nLocation: ", "Location: /x\r\nHTTP/1.0 302 Found"}) {
    EXPECT_EQ(redirectLocation(head), std::nullopt) << head;
  }
}

std::string resolved(const std::string& base, const std::string& location) {
  const std::optional<WebAddress> next = resolveLocation(parseAddress(base), location);
  return next ? next->text() : "none";
}

TEST(ResolveLocation, ReferencesOfEveryFormLeadWhereABrowserGoes) {
  const std::string base = "http://h:8080/a/b?x=1";
  EXPECT_EQ(resolved(base, "c"), "http://h:8080/a/c");
  EXPECT_EQ(resolved(base, "../c?y"), "http://h:8080/c?y");
  EXPECT_EQ(resolved(base, "./c/./d/../e/.."), "http://h:8080/a/c/");
  EXPECT_EQ(resolved(base, "../../../c"), "http://h:8080/c") << "no climbing above the root";
  EXPECT_EQ(resolved(base, "/d/../e"), "http://h:8080/e");
  EXPECT_EQ(resolved(base, "?y=2"), "http://h:8080/a/b?y=2");
  EXPECT_EQ(resolved(base, ""), base);
  EXPECT_EQ(resolved(base, "#part"), base);
  EXPECT_EQ(resolved(base, "c#part"), "http://h:8080/a/c");
  EXPECT_EQ(resolved("http://h/a/b#x/y", "c"), "http://h/a/c") << "the page's own fragment";
  EXPECT_EQ(resolved(base, "//g/p"), "http://g/p");
  EXPECT_EQ(resolved("https://h/a", "//g:444"), "https://g:444/");
  EXPECT_EQ(resolved(base, "HTTPS://S/p"), "https://S/p");
  EXPECT_EQ(resolved(base, "https://s:443/p"), "https://s/p");
  EXPECT_EQ(resolved(base, "http://s?q"), "http://s/?q");
  EXPECT_EQ(resolved(base, "http://user:secret@s/p"), "http://s/p");
  EXPECT_EQ(resolved(base, "a b/\xC5\x82\r\n"), "http://h:8080/a/a%20b/%C5%82%0D%0A");
}

TEST(ResolveLocation, OtherSchemesLeadNowhere) {
  for (const char* location :
       {"ftp://h/x", "file:///etc/passwd", "mailto:a@b", "http:x", "javascript:alert(1)"}) {
    EXPECT_EQ(resolved("http://h/", location), "none") << location;
  }
  EXPECT_EQ(resolved("http://h/", "a:b"), "none") << "a scheme, however short";
  EXPECT_EQ(resolved("http://h/", "./a:b"), "http://h/a:b");
}

// Hop counts and loops are followed through real answers in follow_test.cpp.
TEST(RedirectTrail, TheSamePathOverTlsIsNoLoopButAnotherSchemeEndsTheTrail) {
  RedirectTrail upgrade(parseAddress("http://h/a"));
  EXPECT_EQ(upgrade.follow("https://h/a"), std::nullopt);
  EXPECT_EQ(upgrade.current().text(), "https://h/a");
  EXPECT_EQ(upgrade.follow("ftp://h/a"), "Przekierowanie pod nieobsługiwany adres [ftp://h/a]");
  EXPECT_EQ(upgrade.follow("http://h/b"), "Odrzucono przekierowanie z HTTPS na HTTP [http://h/b]");
}

}  // namespace
