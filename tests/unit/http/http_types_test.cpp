#include "http/http_types.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "runtime/exception.h"
#include "runtime/little_endian_io.h"
#include "runtime/simple_data_sf.h"

namespace {

// Keeps the sequence of calls, so tests can see the binary form's order.
class CallLog : public BinaryWriter {
 public:
  void writeInt(int value) override { calls += "int " + std::to_string(value) + ";"; }
  void writeString(const AnsiString& text) override { calls += "text " + text.str() + ";"; }

  std::string calls;
};

TEST(HttpTypesXml, OneTypeOfEachShape) {
  EXPECT_EQ(
      "<HttpAddr><host><![CDATA[h]]></host><port><![CDATA[80]]></port>"
      "<resource><![CDATA[/]]></resource></HttpAddr>",
      HttpAddr("h", 80, "/").toXML().str());
  EXPECT_EQ(
      "<HttpErrorResult><msg><![CDATA[x]]></msg><kind><HttpErrorKind><send><![CDATA[Host]]>"
      "</send></HttpErrorKind></kind></HttpErrorResult>",
      HttpErrorResult("x", HttpErrorKind::send("Host")).toXML().str());
  EXPECT_EQ("<HttpMethod><post/></HttpMethod>", HttpMethod::post().toXML().str());
  EXPECT_EQ("<HttpStepKind><read><![CDATA[1024]]></read></HttpStepKind>",
            HttpStepKind::read(1024).toXML().str());
  EXPECT_EQ(
      "<HttpAuth><basic><HttpBasicAuth><user><![CDATA[u]]></user><passwd><![CDATA[p]]></passwd>"
      "</HttpBasicAuth></basic></HttpAuth>",
      HttpAuth::basic(HttpBasicAuth("u", "p")).toXML().str());
  HttpParams params;
  EXPECT_EQ("<HttpParams></HttpParams>", params.toXML().str());
  params.Add(HttpParam("a]]>", "<b>"));
  EXPECT_EQ(
      "<HttpParams><HttpParam><name><![CDATA[a]]>]]></name><value><![CDATA[<b>]]></value>"
      "</HttpParam></HttpParams>",
      params.toXML().str());
}

TEST(HttpTypesBinary, WritesInTheOrderOfTheDescription) {
  CallLog log;
  HttpMethod::post().toBinary(log);
  HttpParams().toBinary(log);
  HttpStep("s", HttpStepKind::headers("H")).toBinary(log);
  HttpResult::error(HttpErrorResult("m", HttpErrorKind::recv())).toBinary(log);
  EXPECT_EQ("int 1;int 0;text s;int 4;text H;int 0;text m;int 4;", log.calls);

  LEBinaryWriter writer;
  writer.writeInt(3);
  writer.writeString("part");
  writer.writeInt(0);
  writer.writeInt(7);
  LEBinaryReader reader(writer.ToBinary());
  EXPECT_EQ("part", HttpErrorKind::fromBinary(reader).asSend().str());
  EXPECT_EQ(7, HttpConnectResult::fromBinary(reader).asOk());
  EXPECT_TRUE(reader.AtEnd());
}

TEST(HttpTypesSimpleData, VariantsBecomeNamedCases) {
  const SimpleData post = HttpMethod::post().toSimpleData();
  EXPECT_TRUE(post.asVariant().is("post"));
  EXPECT_EQ(-1, post.asVariant().as("post").asInt());
  EXPECT_EQ(1024, HttpStepKind::read(1024).toSimpleData().asVariant().as("read").asInt());

  SimpleRecord credentials;  // any order of members is accepted
  credentials.set("passwd", SimpleData(AnsiString("p")));
  credentials.set("user", SimpleData(AnsiString("u")));
  const HttpAuth auth =
      HttpAuth::fromSimpleData(SimpleData(SimpleVariant("basic", SimpleData(credentials))));
  EXPECT_TRUE(auth == HttpAuth::basic(HttpBasicAuth("u", "p")));
  EXPECT_EQ("[\"variant\", [\"none\", [\"int\", \"-1\"]]]",
            HttpAuth::none().toSimpleData().toString().str());
}

TEST(HttpTypesValues, CopiesAreDeepAndCasesReplaceEachOther) {
  HttpResult first = HttpResult::body(HttpBodyResult("h", "b"));
  HttpResult copy = first;
  copy.asBody().body() = "changed";
  EXPECT_EQ("b", first.asBody().body().str());

  copy.setFile(HttpFileResult("h", "/tmp/x"));
  EXPECT_TRUE(copy.isFile());
  EXPECT_FALSE(copy.isBody());
  copy = first;
  EXPECT_TRUE(copy == first);
  copy.clean();
  EXPECT_EQ(-1, copy.kind());
  EXPECT_FALSE(copy.isError() || copy.isFile() || copy.isBody());
}

// Every failure text of the family, with the call that provokes it.
using Row = std::pair<std::string, std::function<void()>>;

template <typename T>
void AddEmptyVariantRows(std::vector<Row>& rows, const std::string& name, int case_count) {
  rows.push_back({name + "::toXML(-1)", [] { T().toXML(); }});
  rows.push_back({name + "::toBinary", [] {
                    CallLog log;
                    try {
                      T().toBinary(log);
                    } catch (...) {
                      if (log.calls != "int -1;") throw Exception("tag not written first");
                      throw;
                    }
                  }});
  rows.push_back({name + "::toSimpleData", [] { T().toSimpleData(); }});
  for (int tag : {case_count, -1}) {
    rows.push_back({name + "::fromBinary", [tag] {
                      LEBinaryWriter writer;
                      writer.writeInt(tag);
                      LEBinaryReader reader(writer.ToBinary());
                      T::fromBinary(reader);
                    }});
  }
  rows.push_back({name + "::fromSimpleData",
                  [] { T::fromSimpleData(SimpleData(SimpleVariant("Get", SimpleData(-1)))); }});
}

TEST(HttpTypesFailures, EveryTextOfTheFamily) {
  std::vector<Row> rows = {
      {"HttpOutput::asFile", [] { HttpOutput::memory().asFile(); }},
      {"HttpAuth::asBasic", [] { HttpAuth::none().asBasic(); }},
      {"HttpErrorKind::asSend", [] { HttpErrorKind::file().asSend(); }},
      {"HttpStepKind::asRead", [] { HttpStepKind::headers("").asRead(); }},
      {"HttpStepKind::asHeaders", [] { HttpStepKind::read(1).asHeaders(); }},
      {"HttpResult::asError", [] { HttpResult().asError(); }},
      {"HttpResult::asFile", [] { HttpResult::body({}).asFile(); }},
      {"HttpResult::asBody",
       [] {
         const HttpResult result;
         result.asBody();
       }},
      {"HttpConnectResult::asOk", [] { HttpConnectResult::error({}).asOk(); }},
      {"HttpConnectResult::asError", [] { HttpConnectResult::ok(3).asError(); }},
      {"HttpParams::fromBinary",
       [] {
         LEBinaryWriter writer;
         writer.writeInt(-1);
         LEBinaryReader reader(writer.ToBinary());
         HttpParams::fromBinary(reader);
       }},
      {"SimpleData::asRecord", [] { HttpAddr::fromSimpleData(SimpleData(1)); }},
      {"DynSet<T>::operator[]", [] { HttpAddr::fromSimpleData(SimpleData(SimpleRecord())); }},
      {"LEBinaryReader::readString",
       [] {
         LEBinaryReader reader(Binary("\0\0\0\0\5\0\0\0", 8));
         HttpResult::fromBinary(reader);
       }},
  };
  AddEmptyVariantRows<HttpMethod>(rows, "HttpMethod", 3);
  AddEmptyVariantRows<HttpOutput>(rows, "HttpOutput", 2);
  AddEmptyVariantRows<HttpAuth>(rows, "HttpAuth", 2);
  AddEmptyVariantRows<HttpErrorKind>(rows, "HttpErrorKind", 6);
  AddEmptyVariantRows<HttpStepKind>(rows, "HttpStepKind", 5);
  AddEmptyVariantRows<HttpResult>(rows, "HttpResult", 3);
  AddEmptyVariantRows<HttpConnectResult>(rows, "HttpConnectResult", 2);

  testing::internal::CaptureStdout();
  for (const auto& [expected, call] : rows) {
    std::string thrown = "<nothing thrown>";
    try {
      call();
    } catch (const Exception& e) {
      thrown = e.Message().str();
    }
    EXPECT_EQ(expected, thrown);
  }
  testing::internal::GetCapturedStdout();
}

// Random values of every type of the family, nested cases included.
class Random {
 public:
  AnsiString text() {
    std::string bytes(engine_() % 8, '\0');
    for (char& c : bytes) c = static_cast<char>(engine_());
    return AnsiString(bytes);
  }
  int number() { return static_cast<int>(engine_()); }
  int below(int n) { return static_cast<int>(engine_() % n); }

  template <typename T>
  T make();

 private:
  std::mt19937 engine_{20150320};
};

template <typename Array, typename Element>
Array MakeArray(Random& random) {
  Array array;
  for (int i = random.below(4); i > 0; --i) array.Add(random.make<Element>());
  return array;
}

// clang-format off
template <> HttpAddr Random::make() { return HttpAddr(text(), number(), text()); }
template <> HttpBasicAuth Random::make() { return HttpBasicAuth(text(), text()); }
template <> HttpParam Random::make() { return HttpParam(text(), text()); }
template <> HttpCookie Random::make() { return HttpCookie(text(), text()); }
template <> HttpBodyResult Random::make() { return HttpBodyResult(text(), text()); }
template <> HttpFileResult Random::make() { return HttpFileResult(text(), text()); }
template <> HttpErrorKind Random::make() {
  const HttpErrorKind bare[] = {HttpErrorKind::dns(), HttpErrorKind::socket(), HttpErrorKind::connect(),
                                HttpErrorKind::recv(), HttpErrorKind::file()};
  return below(6) == 0 ? HttpErrorKind::send(text()) : bare[below(5)];
}
template <> HttpStepKind Random::make() {
  switch (below(5)) {
    case 0: return HttpStepKind::dns();
    case 1: return HttpStepKind::socket();
    case 2: return HttpStepKind::connect();
    case 3: return HttpStepKind::read(number());
    default: return HttpStepKind::headers(text());
  }
}
template <> HttpErrorResult Random::make() { return HttpErrorResult(text(), make<HttpErrorKind>()); }
template <> HttpStep Random::make() { return HttpStep(text(), make<HttpStepKind>()); }
template <> HttpMethod Random::make() {
  const HttpMethod all[] = {HttpMethod::get(), HttpMethod::post(), HttpMethod::head()};
  return all[below(3)];
}
template <> HttpOutput Random::make() {
  return below(2) ? HttpOutput::memory() : HttpOutput::file(text());
}
template <> HttpAuth Random::make() {
  return below(2) ? HttpAuth::none() : HttpAuth::basic(make<HttpBasicAuth>());
}
template <> HttpResult Random::make() {
  switch (below(3)) {
    case 0: return HttpResult::error(make<HttpErrorResult>());
    case 1: return HttpResult::file(make<HttpFileResult>());
    default: return HttpResult::body(make<HttpBodyResult>());
  }
}
template <> HttpConnectResult Random::make() {
  return below(2) ? HttpConnectResult::ok(number()) : HttpConnectResult::error(make<HttpErrorResult>());
}
template <> HttpParams Random::make() { return MakeArray<HttpParams, HttpParam>(*this); }
template <> HttpCookies Random::make() { return MakeArray<HttpCookies, HttpCookie>(*this); }
// clang-format on

template <typename T>
class HttpTypesRoundTrip : public testing::Test {};

using FamilyTypes =
    testing::Types<HttpAddr, HttpBasicAuth, HttpParam, HttpCookie, HttpBodyResult, HttpFileResult,
                   HttpErrorResult, HttpStep, HttpMethod, HttpOutput, HttpAuth, HttpErrorKind,
                   HttpStepKind, HttpResult, HttpConnectResult, HttpParams, HttpCookies>;
TYPED_TEST_SUITE(HttpTypesRoundTrip, FamilyTypes);

TYPED_TEST(HttpTypesRoundTrip, BinaryTreeAndTextFormsGiveTheValueBack) {
  Random random;
  for (int i = 0; i < 200; ++i) {
    const TypeParam value = random.make<TypeParam>();
    const std::string xml = value.toXML().str();

    LEBinaryWriter writer;
    value.toBinary(writer);
    LEBinaryReader reader(writer.ToBinary());
    EXPECT_TRUE(value == TypeParam::fromBinary(reader)) << xml;
    EXPECT_TRUE(reader.AtEnd()) << xml;

    const SimpleData tree = value.toSimpleData();
    EXPECT_TRUE(value == TypeParam::fromSimpleData(tree)) << xml;
    const Option<SimpleData> reread = parseSimpleData(tree.toString());
    ASSERT_TRUE(reread.isValue()) << xml;
    EXPECT_TRUE(value == TypeParam::fromSimpleData(reread.asValue())) << xml;
  }
}

}  // namespace
