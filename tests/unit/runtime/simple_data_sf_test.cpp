#include "runtime/simple_data_sf.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "runtime/exception.h"
#include "runtime/sf_parse.h"
#include "tests/unit/runtime/test_support.h"

namespace {

// The tree read back, written again; "<none>" for the empty Option.
std::string Reread(const std::string& text) {
  Option<SimpleData> tree = parseSimpleData(AnsiString(text));
  return tree.isNone() ? "<none>" : tree.asValue().toString().str();
}

TEST(SimpleDataSF, WritesEachKindAsItsNameAndValue) {
  EXPECT_EQ("[\"int\", \"-5\"]", SimpleData(-5).toString().str());
  EXPECT_EQ("[\"variant\", [\"get\", [\"int\", \"-1\"]]]",
            SimpleData(SimpleVariant("get", SimpleData(-1))).toString().str());
  SimpleRecord record;
  record.set("host", SimpleData(AnsiString("a")));
  record.set("port", SimpleData(80));
  EXPECT_EQ("[\"record\", [\"host\", [\"string\", \"a\"], \"port\", [\"int\", \"80\"]]]",
            SimpleData(record).toString().str());
  EXPECT_EQ(SimpleData(record).toString().str(), record.toSFData().toString().str());
  SimpleArray array;
  array.Add(SimpleData(AnsiString("q\"")));
  EXPECT_EQ("[\"array\", [[\"string\", \"q\\#34;\"]]]", array.toSFData().toString().str());
}

TEST(SimpleDataSF, ReadsOnlyTheShapesOfATree) {
  EXPECT_EQ("[\"int\", \"12\"]", Reread("[\"int\", \"12\"]"));
  EXPECT_EQ("[\"int\", \"7\"]", Reread(" [\"int\",\" 7\"] "));
  for (const char* refused :
       {"[\"int\", \"1x\"]", "[\"int\", [\"1\"]]", "[\"record\", [\"a\"]]", "\"int\"", "[\"int\"]",
        "[[], \"1\"]", "[\"int\", \"1\", \"2\"]", "[\"string\", []]",
        "[\"record\", [[], [\"int\", \"1\"]]]", "[\"record\", \"a\"]", "[\"array\", \"a\"]",
        "[\"variant\", [\"a\"]]", "[\"variant\", [[], [\"int\", \"1\"]]]"}) {
    EXPECT_EQ("<none>", Reread(refused)) << refused;
  }
  testing::internal::CaptureStdout();
  EXPECT_EQ("SimpleData::fromSFData, Binary, not implemented",
            ExceptionMessage([] { parseSimpleData("[\"binary\", \"00\"]"); }));
  EXPECT_EQ("SimpleData::fromSFData",
            ExceptionMessage([] { parseSimpleData("[\"float\", \"1\"]"); }));
  EXPECT_EQ("SimpleData::toSFData, Binary, NotImplemented",
            ExceptionMessage([] { SimpleData(Binary("x", 1)).toString(); }));
  testing::internal::GetCapturedStdout();
}

// Well-formed text is read on a direct path; whatever it does not take must
// end as the two-step reading (parseSFText, then fromSFData) ends.
TEST(SimpleDataSF, EveryWayOfWritingAValueReadsAlike) {
  const std::pair<const char*, const char*> cases[] = {
      {"[\"\\#105;nt\", \"0012\"]", "[\"int\", \"12\"]"},
      {"[\"int\", \"+7\"]", "[\"int\", \"7\"]"},
      {"[\"int\", \"\\#45;2147483648\"]", "[\"int\", \"-2147483648\"]"},
      {"[\"int\", \"99999999999\"]", "[\"int\", \"2147483647\"]"},
      {"\r\n[ \"array\" ,[ ]\n]\r\n", "[\"array\", []]"},
      {"[\"record\", [\"n\\#0;\", [\"string\", \"\\#92;\"], \"n\", [\"string\", \"\"]]]",
       "[\"record\", [\"n\\#0;\", [\"string\", \"\\#92;\"], \"n\", [\"string\", \"\"]]]"},
      {"[\"int\", \"-\"]", "<none>"},
      {"[\"int\", \"5\"] x", "<none>"},
      {"[\"int\", \"5\"]\t", "<none>"},
      {"[\"string\", \"a\", ]", "<none>"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(expected, Reread(text)) << text;
  // Member names whose escaped form, once read, is the raw form of the next
  // name: "\#92;#1;" reads as the four bytes "\#1;", which as raw text is a
  // different name (one byte). The many ways of writing 92 make the names
  // meet in any cache of read names.
  for (int zeros = 0; zeros < 6; ++zeros) {
    for (int number = 92; number < 92 + 256 * 40; number += 256) {
      const std::string escaped = "\\#" + std::string(zeros, '0') + std::to_string(number);
      const std::string text =
          "[\"record\", [\"" + escaped + ";#1;\", [\"int\", \"1\"], \"\\#1;\", [\"int\", \"2\"]]]";
      EXPECT_EQ(fromSFData(parseSFText(AnsiString(text)).asValue()).toString().str(), Reread(text))
          << text;
    }
  }
  testing::internal::CaptureStdout();
  const std::string bad_escape =
      ExceptionMessage([] { parseSimpleData("[\"string\", \"\\#1\"]"); });
  testing::internal::GetCapturedStdout();
  EXPECT_EQ("unescape", bad_escape);
}

TEST(SimpleDataSF, ARepeatedRecordNameKeepsItsFirstPlaceAndLastValue) {
  EXPECT_EQ("[\"record\", [\"a\", [\"int\", \"3\"], \"b\", [\"int\", \"2\"]]]",
            Reread("[\"record\", [\"a\", [\"int\", \"1\"], \"b\", [\"int\", \"2\"],"
                   " \"a\", [\"int\", \"3\"]]]"));
}

// Random trees of every kind but binary, with texts of arbitrary bytes.
SimpleData RandomTree(std::mt19937& random, int depth) {
  const int kind = depth > 4 ? random() % 2 : random() % 5;
  switch (kind) {
    case 0: {
      std::string bytes(random() % 6, '\0');
      for (char& c : bytes) c = static_cast<char>(random());
      return SimpleData(AnsiString(bytes));
    }
    case 1: return SimpleData(static_cast<int>(random()));
    case 2: {
      SimpleRecord record;
      for (int i = random() % 4; i > 0; --i) {
        record.set(AnsiString(static_cast<int>(random() % 5)), RandomTree(random, depth + 1));
      }
      return SimpleData(record);
    }
    case 3: {
      SimpleArray array;
      for (int i = random() % 4; i > 0; --i) array.Add(RandomTree(random, depth + 1));
      return SimpleData(array);
    }
    default:
      return SimpleData(
          SimpleVariant(AnsiString(static_cast<int>(random() % 3)), RandomTree(random, depth + 1)));
  }
}

TEST(SimpleDataSF, TreeToTextToTreeGivesTheSameTree) {
  std::mt19937 random(20150320);
  for (int i = 0; i < 500; ++i) {
    const SimpleData tree = RandomTree(random, 0);
    const std::string text = tree.toString().str();
    Option<SimpleData> back = parseSimpleData(text);
    ASSERT_TRUE(back.isValue()) << text;
    EXPECT_EQ(text, back.asValue().toString().str());
    EXPECT_EQ(tree.kind(), back.asValue().kind());
  }
}

TEST(SimpleDataSF, TreesAtTheDepthLimitRoundTripAndDeeperOnesAreRefused) {
  auto chain = [](int levels) {
    SimpleData tree(0);
    for (int i = 0; i < levels; ++i) {
      SimpleArray array;
      array.Add(tree);
      tree = SimpleData(array);
    }
    return tree;
  };
  const int deepest = (kMaxSFDepth - 1) / 2;  // each level nests two SF arrays
  const std::string text = chain(deepest).toString().str();
  EXPECT_EQ(text, Reread(text));

  testing::internal::CaptureStdout();
  EXPECT_EQ("SimpleData::toSFData, too deep",
            ExceptionMessage([&] { chain(deepest + 1).toSFData(); }));
  EXPECT_EQ("SimpleData::toSFData, too deep", ExceptionMessage([&] { chain(1000000).toString(); }));
  testing::internal::GetCapturedStdout();

  SFData sf = parseSFText(text).asValue();
  for (int i = 0; i < 4; ++i) {
    RefDynSet<SFData> pair;
    pair.Add(SFData(AnsiString("array")));
    RefDynSet<SFData> list;
    list.Add(sf);
    pair.Add(SFData(list));
    sf = SFData(pair);
  }
  EXPECT_THROW(fromSFData(sf), SimpleDataException);
}

}  // namespace
