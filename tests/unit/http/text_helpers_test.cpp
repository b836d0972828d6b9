// The engine's text helpers: form encoding, header lookup and the reading of a head.
#include <gtest/gtest.h>

#include "http/form_encoding.h"
#include "http/header_value.h"
#include "http/response_head.h"

namespace {

TEST(UrlEncode, KeepsLettersAndDigitsOnly) {
  EXPECT_EQ(urlEncode("1 2"), AnsiString("1+2"));
  EXPECT_EQ(urlEncode("x&y"), AnsiString("x%26y"));
  EXPECT_EQ(urlEncode("AZaz09-._~*"), AnsiString("AZaz09%2D%2E%5F%7E%2A"));
  EXPECT_EQ(urlEncode(AnsiString("\xC5\x82\x00\xFF", 4)), AnsiString("%C5%82%00%FF"));
  EXPECT_EQ(urlEncode(""), AnsiString(""));
}

const char kBlock[] =
    "HTTP/1.0 200 OK\r\n"
    "Server: test\r\n"
    "content-length:  1234 \r\n"
    "X-Empty:\r\n"
    "Content-Length: 99\r\n"
    "X-Tight:value";

TEST(HeaderValue, FindsTheFirstLineOfANameInAnyCase) {
  EXPECT_EQ(headerValue(kBlock, "Content-Length"), AnsiString("1234"));
  EXPECT_EQ(headerValue(kBlock, "CONTENT-LENGTH"), AnsiString("1234"));
  EXPECT_EQ(headerValue(kBlock, "server"), AnsiString("test"));
}

TEST(HeaderValue, TakesValuesWithOrWithoutABlank) {
  EXPECT_EQ(headerValue("Content-Length:1234", "Content-Length"), AnsiString("1234"));
  EXPECT_EQ(headerValue(kBlock, "X-Tight"), AnsiString("value"));
  EXPECT_EQ(headerValue(kBlock, "X-Empty"), AnsiString(""));
}

TEST(HeaderValue, MissesWhatIsNotAHeaderOfThatName) {
  EXPECT_EQ(headerValue(kBlock, "Content"), AnsiString("")) << "a prefix of a name";
  EXPECT_EQ(headerValue(kBlock, "HTTP/1.0 200 OK"), AnsiString(""));
  EXPECT_EQ(headerValue("", "Server"), AnsiString(""));
  EXPECT_EQ(headerValue("Serve: r", "Server"), AnsiString(""));
}

TEST(ResponseHead, LengthsAreReadWholeOrNotAtAll) {
  EXPECT_EQ(parseLength("1000"), 1000);
  EXPECT_EQ(parseLength(" 3221225472 "), 3221225472LL) << "past 2^31";
  EXPECT_EQ(parseLength("+7"), 7);
  EXPECT_EQ(parseLength(""), -1);
  EXPECT_EQ(parseLength("12abc"), -1);
  EXPECT_EQ(parseLength(AnsiString("12\0"
                                   "3",
                                   4)),
            -1);
}

}  // namespace
