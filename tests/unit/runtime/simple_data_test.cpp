#include "runtime/simple_data.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "runtime/exception.h"
#include "tests/unit/runtime/test_support.h"

namespace {

SimpleData Str(const char* text) { return SimpleData(AnsiString(text)); }

// Every accessor of the wrong kind throws its own text; the right one reads.
TEST(SimpleDataKinds, EachAccessorRefusesEveryOtherKind) {
  testing::internal::CaptureStdout();
  const std::vector<SimpleData> values = {Str("s"),
                                          SimpleData(5),
                                          SimpleData(SimpleRecord()),
                                          SimpleData(SimpleArray()),
                                          SimpleData(SimpleVariant(AnsiString("v"), SimpleData(1))),
                                          SimpleData(Binary("b", 1))};
  const std::vector<std::pair<std::string, std::function<void(const SimpleData&)>>> readers = {
      {"SimpleData::asString", [](const SimpleData& d) { d.asString(); }},
      {"SimpleData::asInt", [](const SimpleData& d) { d.asInt(); }},
      {"SimpleData::asRecord", [](const SimpleData& d) { d.asRecord(); }},
      {"SimpleData::asArray", [](const SimpleData& d) { d.asArray(); }},
      {"SimpleData::asVariant", [](const SimpleData& d) { d.asVariant(); }},
      {"SimpleData::asBinary", [](const SimpleData& d) { d.asBinary(); }},
  };
  for (size_t v = 0; v < values.size(); ++v) {
    SimpleData writable = values[v];
    EXPECT_EQ(static_cast<int>(v) + 1, values[v].kind());
    const bool tests[] = {values[v].isString(), values[v].isInt(),     values[v].isRecord(),
                          values[v].isArray(),  values[v].isVariant(), values[v].isBinary()};
    for (size_t r = 0; r < readers.size(); ++r) {
      EXPECT_EQ(v == r, tests[r]);
      const std::string thrown = ExceptionMessage([&] { readers[r].second(values[v]); });
      EXPECT_EQ(v == r ? "<nothing thrown>" : readers[r].first, thrown) << v << " " << r;
    }
    if (v != 1) {
      EXPECT_EQ("SimpleData::asInt", ExceptionMessage([&] { writable.asInt() = 1; }));
    }
  }
  EXPECT_EQ(5, values[1].asInt());
  EXPECT_EQ("s", values[0].asString().str());
  testing::internal::GetCapturedStdout();
}

TEST(SimpleDataSharing, WritesThroughOneHandleAreSeenThroughAll) {
  SimpleData first{SimpleRecord()};
  SimpleData second = first;
  EXPECT_EQ(2, first.useCount());
  second.asRecord().set("a", SimpleData(1));
  EXPECT_EQ(1, first.asRecord().get("a").asInt());

  SimpleData number(7);
  SimpleArray array;
  array.Add(number);
  SimpleArray copy = array;  // copies the list, shares the element
  number.asInt() = 8;
  EXPECT_EQ(8, copy[0].asInt());
  copy.Add(SimpleData(9));
  EXPECT_EQ(1, array.Count());

  SimpleData other(3);
  first = other;
  EXPECT_EQ(3, first.asInt());
  EXPECT_EQ(1, second.asRecord().get("a").asInt());
  EXPECT_EQ(1, second.useCount());
}

TEST(SimpleDataSharing, ConstructorsCopyTheGivenValue) {
  SimpleRecord record;
  record.set("a", SimpleData(1));
  SimpleData tree(record);
  record.set("b", SimpleData(2));
  EXPECT_EQ(1, tree.asRecord().Count());
}

TEST(SimpleRecord, SetKeepsTheFirstPlaceOfARepeatedName) {
  SimpleRecord record;
  record.set("a", SimpleData(1));
  record.set("b", SimpleData(2));
  record.set("a", SimpleData(3));
  ASSERT_EQ(2, record.Count());
  EXPECT_EQ("a", record.elemAt(0).name().str());
  EXPECT_EQ(3, record.elemAt(0).value().asInt());
  EXPECT_EQ("b", record.elemAt(1).name().str());
  EXPECT_EQ(1, record.indexOf("b"));
  EXPECT_EQ(-1, record.indexOf("A"));
  testing::internal::CaptureStdout();
  EXPECT_EQ("DynSet<T>::operator[]", ExceptionMessage([&] { record.get("missing"); }));
  testing::internal::GetCapturedStdout();
}

// Large records switch to an index; lookups and copies must not notice.
TEST(SimpleRecord, LargeRecordsFindEveryMemberAndCopyIndependently) {
  SimpleRecord record;
  const int count = 100000;  // a scan per set would take minutes
  for (int i = 0; i < count; ++i) record.set(AnsiString(i), SimpleData(i));
  record.set("17", SimpleData(-17));
  ASSERT_EQ(count, record.Count());
  EXPECT_EQ(-17, record.get("17").asInt());

  SimpleRecord copy = record;
  copy.set("new", SimpleData(0));
  EXPECT_EQ(-1, record.indexOf("new"));
  EXPECT_EQ(count, copy.indexOf("new"));
  for (int i = 0; i < count; i += 997) EXPECT_EQ(i, copy.indexOf(AnsiString(i)));

  SimpleRecord assigned;
  assigned.set("x", SimpleData(1));
  assigned = copy;
  EXPECT_EQ(-1, assigned.indexOf("x"));
  EXPECT_EQ(count, assigned.indexOf("new"));
}

TEST(SimpleVariant, MatchesItsCaseNameByteForByte) {
  SimpleVariant variant("post", SimpleData(-1));
  EXPECT_TRUE(variant.is("post"));
  EXPECT_FALSE(variant.is("Post"));
  EXPECT_EQ(-1, variant.as("post").asInt());
  testing::internal::CaptureStdout();
  EXPECT_EQ("SimpleVariant::as", ExceptionMessage([&] { variant.as("get"); }));
  EXPECT_EQ("SimpleDataBox::get", ExceptionMessage([] { SimpleVariant().as(""); }));
  testing::internal::GetCapturedStdout();
}

TEST(SimpleDataBox, SharesTheGivenNodeAndReplacesOnSet) {
  SimpleData a(1);
  SimpleDataBox box(a);
  a.asInt() = 2;
  EXPECT_EQ(2, box.get().asInt());
  box.set(SimpleData(3));
  EXPECT_EQ(3, box.get().asInt());
  EXPECT_EQ(1, a.useCount());
  const SimpleDataBox& self = box;
  box = self;
  EXPECT_EQ(3, box.get().asInt());
  SimpleDataBox empty;
  box = empty;
  EXPECT_TRUE(box.isEmpty());
  EXPECT_EQ(-1, RecordElem().value().asInt());
  EXPECT_EQ("", RecordElem().name().str());
}

// A chain far deeper than any stack could recurse through is freed flat.
TEST(SimpleDataDepth, AVeryDeepTreeIsFreedWithoutRecursion) {
  SimpleData root(0);
  for (int i = 0; i < 1000000; ++i) {
    SimpleArray array;
    array.Add(root);
    root = SimpleData(array);
  }
  SimpleData deep = root;
  for (int i = 0; i < 10; ++i) deep = SimpleData(deep.asArray()[0]);
  root = SimpleData(1);  // frees the top ten levels only
  EXPECT_TRUE(deep.isArray());
}

}  // namespace
