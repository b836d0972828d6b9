#include "bridge/protocol/protocol.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "bridge/callback.h"

namespace bridge {
namespace {

Json::Value parsed(const std::string& text) {
  auto request = parseRequest(text);
  EXPECT_TRUE(request.has_value()) << text;
  return request.value_or(Json::Value());
}

TEST(ParseRequest, AcceptsOnlyNonEmptyArrays) {
  EXPECT_TRUE(parseRequest(R"(["a"])"));
  EXPECT_TRUE(parseRequest(" [1, 2] // trailing comment\n"));
  for (const char* text : {"", "[]", "{}", "\"x\"", "42", "[1,", "not json", "null"}) {
    EXPECT_FALSE(parseRequest(text)) << text;
  }
}

TEST(ElementText, ReadsEveryScalarKindByTheTextRule) {
  const Json::Value request =
      parsed(R"(["s", null, 42, -7, 4294967295, 1.5, true, false, "", 9007199254740993])");
  EXPECT_EQ(elementText(request, 0), "s");
  EXPECT_EQ(elementText(request, 1), "");
  EXPECT_EQ(elementText(request, 2), "42");
  EXPECT_EQ(elementText(request, 3), "-7");
  EXPECT_EQ(elementText(request, 4), "4294967295");
  EXPECT_EQ(elementText(request, 5), "1.500000");
  EXPECT_EQ(elementText(request, 6), "true");
  EXPECT_EQ(elementText(request, 7), "false");
  EXPECT_EQ(elementText(request, 8), "");
  EXPECT_EQ(elementText(request, 9), "9007199254740993");
  EXPECT_EQ(elementText(request, 10), "") << "a missing position reads as empty";
  EXPECT_EQ(elementText(request, 4000000000u), "");
}

TEST(ElementText, HugeRealsAreWrittenWhole) {
  const Json::Value request = parsed("[1e300]");
  const std::string text = elementText(request, 0);
  EXPECT_EQ(text.size(), 308u);
  EXPECT_EQ(text.substr(text.size() - 7), ".000000");
}

TEST(ElementText, StringsKeepTheirBytes) {
  const Json::Value request = parsed(R"(["zażółć", "a\u0000b"])");
  EXPECT_EQ(elementText(request, 0), "zażółć");
  EXPECT_EQ(elementText(request, 1), std::string("a\0b", 3));
}

TEST(ElementText, ArraysAndObjectsHaveNoText) {
  const Json::Value request = parsed(R"([[1], {"a": 1}])");
  for (Json::ArrayIndex i : {0u, 1u}) {
    try {
      elementText(request, i);
      ADD_FAILURE() << "no exception for position " << i;
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), "Type is not convertible to string");
    }
  }
}

TEST(WriteList, ShortListsStayOnOneLine) {
  EXPECT_EQ(writeList({"OK", kProtocolVersion, kShellBuildTag}),
            "[ \"OK\", \"1.0.3.20150320\", \"-quendrix-vabt.20150223\" ]\n");
  EXPECT_EQ(writeList({}), "[]\n");
}

TEST(WriteList, LongListsRoundTripThroughTheParser) {
  std::vector<std::string> list;
  for (int i = 0; i < 100; ++i) list.push_back("value \"" + std::to_string(i) + "\"\n\t\\");
  const std::string text = writeList(list);
  EXPECT_NE(text.find('\n'), text.size() - 1) << "a long list spreads over lines";
  const Json::Value back = parsed(text);
  ASSERT_EQ(back.size(), list.size());
  for (Json::ArrayIndex i = 0; i < back.size(); ++i) EXPECT_EQ(back[i].asString(), list[i]);
}

TEST(CallbackScript, CallsThePageFunctionWithTheRecord) {
  EXPECT_EQ(callbackScript({"id7", "pass", "run"}),
            "WebBrowserUtil_callback([ \"id7\", \"pass\", \"run\" ]\n);");
}

}  // namespace
}  // namespace bridge
