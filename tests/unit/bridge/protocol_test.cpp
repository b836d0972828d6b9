#include "bridge/protocol/protocol.h"

#include <gtest/gtest.h>

#include <json/reader.h>
#include <json/writer.h>

#include <clocale>
#include <iterator>
#include <optional>
#include <random>
#include <set>
#include <stdexcept>
#include <string>

#include "bridge/callback.h"
#include "bridge/protocol/cmd_exception.h"

namespace bridge {
namespace {

Request parsed(const std::string& text) {
  auto request = parseRequest(text);
  EXPECT_TRUE(request.has_value()) << text;
  return request.value_or(Request());
}

TEST(ParseRequest, AcceptsOnlyNonEmptyArrays) {
  EXPECT_TRUE(parseRequest(R"(["a"])"));
  EXPECT_TRUE(parseRequest(" [1, 2] // trailing comment\n"));
  for (const char* text : {"", "[]", "{}", "\"x\"", "42", "[1,", "not json", "null"}) {
    EXPECT_FALSE(parseRequest(text)) << text;
  }
}

TEST(ParseRequest, ReadsRequestsExactlyAsTheJsonReaderDoes) {
  for (const char* text :
       {R"(["a","b"])", " [ \"x\" , null ] ", R"(["q\"\\\/\b\f\n\r\t"])", R"(["\u0041\u00e9"])",
        R"(["a",])", R"(["a"] trailing)", R"(["a" "b"])", "[\"raw\ttab\"]", R"([nullx])",
        R"([1, -2, 3.5e2, true])", R"(["a", /* note */ "b"])", R"([["nested"]])", "[\"\\x\"]"}) {
    Json::Value reference;
    const bool readable =
        Json::Reader().parse(text, reference, true) && reference.isArray() && !reference.empty();
    const auto request = parseRequest(text);
    ASSERT_EQ(request.has_value(), readable) << text;
    if (readable) {
      EXPECT_TRUE(*request == Request(reference)) << text;
    }
  }
}

TEST(RequestText, ReadsEveryScalarKindByTheTextRule) {
  const Request request =
      parsed(R"(["s", null, 42, -7, 4294967295, 1.5, true, false, "", 9007199254740993])");
  EXPECT_EQ(request.text(0), "s");
  EXPECT_EQ(request.text(1), "");
  EXPECT_EQ(request.text(2), "42");
  EXPECT_EQ(request.text(3), "-7");
  EXPECT_EQ(request.text(4), "4294967295");
  EXPECT_EQ(request.text(5), "1.500000");
  EXPECT_EQ(request.text(6), "true");
  EXPECT_EQ(request.text(7), "false");
  EXPECT_EQ(request.text(8), "");
  EXPECT_EQ(request.text(9), "9007199254740993");
  EXPECT_EQ(request.text(10), "") << "a missing position reads as empty";
  EXPECT_EQ(request.text(4000000000u), "");
}

TEST(RequestText, HugeRealsAreWrittenWhole) {
  const Request request = parsed("[1e300]");
  const std::string text = request.text(0);
  EXPECT_EQ(text.size(), 308u);
  EXPECT_EQ(text.substr(text.size() - 7), ".000000");
}

TEST(RequestText, StringsKeepTheirBytes) {
  const Request request = parsed(R"(["zażółć", "a\u0000b"])");
  EXPECT_EQ(request.text(0), "zażółć");
  EXPECT_EQ(request.text(1), std::string("a\0b", 3));
}

TEST(RequestText, ArraysAndObjectsHaveNoText) {
  const Request request = parsed(R"([[1], {"a": 1}])");
  for (std::size_t i : {0u, 1u}) {
    try {
      request.text(i);
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
  const Request back = parsed(text);
  ASSERT_EQ(back.size(), list.size());
  for (std::size_t i = 0; i < back.size(); ++i) EXPECT_EQ(back.text(i), list[i]);
}

Json::Value jsonArray(const std::vector<std::string>& list) {
  Json::Value array(Json::arrayValue);
  for (const std::string& item : list) array.append(Json::Value(item));
  return array;
}

// The answer text must be the styled writer's to the byte, whatever the list.
std::string styledWriterText(const std::vector<std::string>& list) {
  return Json::StyledWriter().write(jsonArray(list));
}

// The styled writer's layout with strings in UTF-8: jsoncpp's stream writer
// lays arrays out by the same rule, and emits UTF-8 when asked.
std::string styledUtf8Text(const std::vector<std::string>& list) {
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "   ";
  builder["commentStyle"] = "None";
  builder["emitUTF8"] = true;
  return Json::writeString(builder, jsonArray(list)) + "\n";
}

// `count` copies of `piece`.
std::string repeated(const std::string& piece, size_t count) {
  std::string text;
  for (size_t i = 0; i < count; ++i) text += piece;
  return text;
}

TEST(WriteList, MatchesTheStyledWriterAroundTheLineLimits) {
  for (size_t count = 0; count <= 30; ++count) {
    for (size_t length = 0; length <= 40; ++length) {
      const std::vector<std::string> list(count, std::string(length, 'x'));
      ASSERT_EQ(writeList(list), styledWriterText(list)) << count << " x " << length;
      ASSERT_EQ(styledUtf8Text(list), styledWriterText(list)) << "the reference agrees";
    }
  }
}

TEST(WriteList, MeasuresTheLayoutOnTheUtf8Bytes) {
  EXPECT_EQ(writeList({"OK", "zażółć gęślą jaźń"}), "[ \"OK\", \"zażółć gęślą jaźń\" ]\n");
  // Characters of two, three and four bytes around both line limits.
  for (const std::string piece : {"\xc5\xbc", "\xe2\x82\xac", "\xf0\x9f\x98\x80"}) {
    for (size_t count = 1; count <= 30; ++count) {
      for (size_t length = 0; length <= 36; ++length) {
        const std::vector<std::string> list(count, repeated(piece, length));
        ASSERT_EQ(writeList(list), styledUtf8Text(list)) << count << " x " << length;
      }
    }
  }
  // 34 two-byte letters make a line of 4 + 2 + 68 = 74 bytes: one too many.
  EXPECT_EQ(writeList({repeated("\xc5\xbc", 33)}), "[ \"" + repeated("\xc5\xbc", 33) + "\" ]\n");
  EXPECT_EQ(writeList({repeated("\xc5\xbc", 34)}),
            "[\n   \"" + repeated("\xc5\xbc", 34) + "\"\n]\n");
}

TEST(WriteList, MatchesTheStyledWriterForWellFormedText) {
  std::mt19937 random(20150320);
  const std::vector<std::string> special = {
      "\"",   "\\",   "/",        "\b",           "\f",
      "\n",   "\r",   "\t",       "\x7f",         std::string(1, '\0'),
      "\x01", "\x1f", "\xc5\xbc", "\xe2\x80\xa8", "\xf0\x9f\x98\x80"};
  for (int round = 0; round < 3000; ++round) {
    std::vector<std::string> list(random() % 8);
    for (std::string& item : list) {
      const size_t length = random() % 24;
      for (size_t i = 0; i < length; ++i) {
        item += random() % 3 == 0 ? special[random() % special.size()]
                                  : std::string(1, static_cast<char>(' ' + random() % 95));
      }
    }
    ASSERT_EQ(writeList(list), styledUtf8Text(list)) << "round " << round;
  }
}

TEST(WriteList, EscapesControlsAndInRecordsTheLineSeparators) {
  // C0 and C1 controls keep their escapes; the characters around them do not.
  EXPECT_EQ(writeList({"\x01\x7f\xc2\x80\xc2\x85\xc2\x9f\xc2\xa0\xc3\xa9"}),
            "[ \"\\u0001\x7f\\u0080\\u0085\\u009f\xc2\xa0\xc3\xa9\" ]\n");
  // U+2028 and U+2029 end a string literal in older engines: a record, which
  // is script, escapes them; an answer, read by JSON.parse, need not.
  const std::vector<std::string> list = {"id", "pass", "finish", "ż\xe2\x80\xa8|\xe2\x80\xa9"};
  EXPECT_EQ(writeList(list, kMaxAnswerBytes, TextReader::kScript),
            "[ \"id\", \"pass\", \"finish\", \"ż\\u2028|\\u2029\" ]\n");
  EXPECT_EQ(writeList(list), "[ \"id\", \"pass\", \"finish\", \"ż\xe2\x80\xa8|\xe2\x80\xa9\" ]\n");

  // The escapes are measured: eleven separators keep a record on one line
  // (4 + 2 + 66 = 72 bytes), twelve do not; an answer takes three bytes each.
  for (size_t count : {11u, 12u, 22u, 23u}) {
    const std::vector<std::string> separators = {repeated("\xe2\x80\xa8", count)};
    const std::string record = writeList(separators, kMaxAnswerBytes, TextReader::kScript);
    EXPECT_EQ(record.find('\n') + 1 == record.size(), count <= 11) << count;
    const std::string answer = writeList(separators);
    EXPECT_EQ(answer.find('\n') + 1 == answer.size(), count <= 22) << count;
    EXPECT_EQ(parsed(record).text(0), separators[0]);
    EXPECT_EQ(parsed(answer).text(0), separators[0]);
  }
  // A record that fits as an answer may not: its limit counts its escapes.
  const std::vector<std::string> separators = {repeated("\xe2\x80\xa8", 40)};
  const std::size_t recordSize = writeList(separators, kMaxAnswerBytes, TextReader::kScript).size();
  EXPECT_TRUE(listFits(separators, recordSize, TextReader::kScript));
  EXPECT_FALSE(listFits(separators, recordSize - 1, TextReader::kScript));
  EXPECT_TRUE(listFits(separators, recordSize - 120));
  EXPECT_FALSE(listFits(separators, recordSize - 121));
}

TEST(WriteList, EachStrayByteBecomesOneReplacementAndKeepsItsNeighbours) {
  // A stray byte is written as the escape it always was, whatever surrounds
  // it, and counts six bytes of the line.
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"caf\xe9 ok", "caf\\ufffd ok"},                           // a lead byte without its tail
      {"\xc5\xbc\xe9\xc5\xbc", "\xc5\xbc\\ufffd\xc5\xbc"},       // between two good sequences
      {"\xe2\x80\xe2\x82\xac", "\\ufffd\\ufffd\xe2\x82\xac"},    // a cut sequence before a good one
      {"\xf0\x9f\x98\xc2\x85", "\\ufffd\\ufffd\\ufffd\\u0085"},  // before an escaped character
      {"\xc0\xaf", "\\ufffd\\ufffd"},                            // overlong form
      {"\xed\xa0\x80", "\\ufffd\\ufffd\\ufffd"},                 // a surrogate
      {"\xf4\x90\x80\x80", "\\ufffd\\ufffd\\ufffd\\ufffd"},      // past U+10FFFF
      {"\xe2\x82", "\\ufffd\\ufffd"},                            // cut off at the end
      {"\x80x", "\\ufffdx"},                                     // a lone continuation byte
  };
  for (const auto& [bytes, escaped] : cases) {
    EXPECT_EQ(writeList({bytes}), "[ \"" + escaped + "\" ]\n");
    EXPECT_EQ(writeList({bytes}, kMaxAnswerBytes, TextReader::kScript),
              "[ \"" + escaped + "\" ]\n");
  }
  EXPECT_EQ(writeList({repeated("\xff", 11)}), "[ \"" + repeated("\\ufffd", 11) + "\" ]\n");
  EXPECT_EQ(writeList({repeated("\xff", 12)}), "[\n   \"" + repeated("\\ufffd", 12) + "\"\n]\n");
}

// The characters of well-formed UTF-8 `text`, or nothing when it is not.
std::optional<std::u32string> characters(const std::string& text);

TEST(WriteList, AnyBytesGiveWellFormedUtf8ThatReadsBack) {
  std::mt19937 random(7);
  for (int round = 0; round < 2000; ++round) {
    std::string item(random() % 40, '\0');
    for (char& c : item) c = static_cast<char>(random() % 4 == 0 ? 0xC5 : random());
    for (TextReader reader : {TextReader::kJsonParse, TextReader::kScript}) {
      const std::string text = writeList({item, "after"}, kMaxAnswerBytes, reader);
      const auto written = characters(text);
      ASSERT_TRUE(written.has_value()) << "round " << round;
      for (char32_t c : *written) {
        ASSERT_FALSE(c < 0x20 && c != '\n') << "round " << round;
        ASSERT_FALSE(c >= 0x80 && c < 0xA0) << "round " << round;
        ASSERT_FALSE(reader == TextReader::kScript && (c == 0x2028 || c == 0x2029));
      }
      const Request back = parsed(text);
      ASSERT_EQ(back.size(), 2u);
      EXPECT_EQ(back.text(1), "after");
    }
  }
}

TEST(WriteList, RefusesAnAnswerPastTheLimitBeforeBuildingIt) {
  const std::vector<std::string> list = {"OK", std::string(1000, '\0')};
  EXPECT_NO_THROW(writeList(list, 7000));
  try {
    writeList(list, 5999);  // each NUL takes six bytes
    ADD_FAILURE() << "no exception";
  } catch (const CmdException& e) {
    EXPECT_EQ(e.message().rfind("answer too large", 0), 0u) << e.message();
  }
}

// The UTF-8 encoding of `codePoint`, or "" for a surrogate.
std::string utf8(char32_t codePoint) {
  std::string bytes;
  auto put = [&](unsigned value) { bytes += static_cast<char>(value); };
  if (codePoint < 0x80) {
    put(codePoint);
  } else if (codePoint < 0x800) {
    put(0xC0 | codePoint >> 6);
    put(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    if (codePoint >= 0xD800 && codePoint <= 0xDFFF) return bytes;
    put(0xE0 | codePoint >> 12);
    put(0x80 | (codePoint >> 6 & 0x3F));
    put(0x80 | (codePoint & 0x3F));
  } else {
    put(0xF0 | codePoint >> 18);
    put(0x80 | (codePoint >> 12 & 0x3F));
    put(0x80 | (codePoint >> 6 & 0x3F));
    put(0x80 | (codePoint & 0x3F));
  }
  return bytes;
}

std::optional<std::u32string> characters(const std::string& text) {
  std::u32string decoded;
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t k = 1; k < length && i + k < text.size(); ++k) c = c << 6 | (text[i + k] & 0x3F);
    // Only the shortest encoding of a character encodes back to the same bytes.
    if (c > 0x10FFFF || utf8(c) != text.substr(i, length)) return std::nullopt;
    decoded += c;
    i += length;
  }
  return decoded;
}

TEST(WriteList, EveryCharacterReadsBackAndEveryOtherSequenceIsAStrayByte) {
  // Every character, a few thousand to an item: a long list, read back whole.
  std::vector<std::string> list(1, "");
  for (char32_t codePoint = 0x80; codePoint <= 0x10FFFF; ++codePoint) {
    if (list.back().size() > 12000) list.emplace_back();
    list.back() += utf8(codePoint);
  }
  const Request back = parsed(writeList(list));
  ASSERT_EQ(back.size(), list.size());
  for (std::size_t i = 0; i < back.size(); ++i) ASSERT_EQ(back.text(i), list[i]);

  // Any two bytes, or a lead and any second byte before well-formed tails,
  // that encode no character begin with a replacement.
  std::set<std::string> encodings;
  for (char32_t codePoint = 0x80; codePoint <= 0x10FFFF; ++codePoint) {
    const std::string bytes = utf8(codePoint);
    if (bytes.size() == 2 || bytes.find_first_not_of('\x80', 2) == std::string::npos) {
      encodings.insert(bytes);
    }
  }
  for (unsigned lead = 0x80; lead <= 0xFF; ++lead) {
    for (unsigned second = 0; second <= 0xFF; ++second) {
      std::string bytes{static_cast<char>(lead), static_cast<char>(second)};
      if (lead >= 0xE0) bytes += '\x80';
      if (lead >= 0xF0) bytes += '\x80';
      if (encodings.count(bytes) != 0) continue;
      const std::string text = writeList({bytes + "x"});
      ASSERT_EQ(text.rfind("[ \"\\ufffd", 0), 0u) << std::hex << lead << " " << second;
    }
  }
}

TEST(WriteList, LongListsMatchTheShortListsEscapesAcrossAnyLength) {
  // Stray bytes and well-formed pieces, items long and short: the text of a
  // long list is each item's escape on a line of its own.
  std::mt19937 random(20151212);
  const std::vector<std::string> pieces = {
      "plain text ",      "\"",   "\\",   "\n",  "\x01", "\x7f", "\xc5\xbc", "\xe2\x80\xa8",
      "\xf0\x9f\x98\x80", "\x80", "\xc0", "\xff"};
  std::vector<std::string> list(40);
  std::string expected = "[";
  for (std::string& item : list) {
    const size_t count = random() % 4 == 0 ? random() % 6000 : random() % 20;
    std::string escaped;
    for (size_t i = 0; i < count; ++i) {
      const std::string& piece = pieces[random() % pieces.size()];
      item += piece;
      const std::string alone = writeList({piece});  // "[ \"...\" ]\n"
      escaped += alone.substr(3, alone.size() - 7);
    }
    expected += (&item == &list.front() ? "\n   \"" : ",\n   \"") + escaped + "\"";
  }
  expected += "\n]\n";
  const std::string text = writeList(list);
  ASSERT_EQ(text, expected);

  EXPECT_NO_THROW(writeList(list, text.size()));
  EXPECT_TRUE(listFits(list, text.size()));
  EXPECT_FALSE(listFits(list, text.size() - 1));
  try {
    writeList(list, text.size() - 1);
    ADD_FAILURE() << "no exception";
  } catch (const CmdException& e) {
    EXPECT_EQ(e.message().rfind("answer too large", 0), 0u) << e.message();
  }
}

TEST(WriteList, EscapesAndSequencesAreWrittenAlikeWhereverABlockOfPlainTextEnds) {
  // Plain text is copied sixteen and eight bytes at a time: each piece at
  // every offset across those steps, before plain text or at the item's end,
  // is written as it is alone, a sequence cut short included.
  const std::string escaped[] = {"\"", "\x1f", "\xc2\x85", "\xe2\x80\xa9"};
  const std::string asTheyAre[] = {"\xc5\xbc", "\xe6\x97\xa5", "\xf0\x9f\x98\x80"};
  const std::string stray[] = {"\xf4\x90\x80\x80", "\xed\xa0\x80", "\xff", "\xc5",
                               "\xe2\x80",         "\xf0\x9f\x98"};
  std::vector<std::string> pieces(std::begin(escaped), std::end(escaped));
  pieces.insert(pieces.end(), std::begin(asTheyAre), std::end(asTheyAre));
  pieces.insert(pieces.end(), std::begin(stray), std::end(stray));
  for (TextReader reader : {TextReader::kJsonParse, TextReader::kScript}) {
    for (const std::string& piece : pieces) {
      const std::string alone = writeList({piece}, kMaxAnswerBytes, reader);
      const std::string written = alone.substr(3, alone.size() - 7);
      for (std::size_t before = 0; before <= 34; ++before) {
        for (std::size_t after : {0, 1, 3, 7, 15, 17}) {
          const std::string head(before, 'a');
          const std::string tail(after, 'z');
          const std::string text = writeList({"OK", head + piece + tail}, kMaxAnswerBytes, reader);
          const std::string expected = head + written + tail;
          ASSERT_EQ(text.substr(text.find('"', text.find("OK") + 3) + 1, expected.size() + 1),
                    expected + "\"")
              << before << " + " << written << " + " << after;
        }
      }
    }
  }
}

// The text `write` makes of `list`, or the message it refuses it with.
template <class Write>
std::string textOrRefusal(Write write) {
  try {
    return write();
  } catch (const CmdException& e) {
    return e.message();
  }
}

TEST(ListWriter, WritesAndRefusesEveryListAsWriteListDoes) {
  // Lengths on both sides of the one-line layout, and a text past a megabyte.
  std::mt19937 random(7);
  const std::vector<std::string> pieces = {"a", "\"\\\n", "\xc5\xbc\xff", "\xf0\x9f\x98\x80"};
  for (std::size_t length = 0; length <= 60; ++length) {
    std::vector<std::string> list(length);
    for (std::string& item : list) {
      const std::size_t count = length == 60 ? 30000 : random() % 8;
      for (std::size_t i = 0; i < count; ++i) item += pieces[random() % pieces.size()];
    }
    const std::size_t size = writeList(list).size();
    for (std::size_t limit : {kMaxAnswerBytes, size + 120, size, size - 1}) {
      const std::string whole = textOrRefusal([&] { return writeList(list, limit); });
      const std::string itemByItem = textOrRefusal([&] {
        ListWriter writer(limit);
        for (const std::string& item : list) writer.add(item);
        return writer.finish();
      });
      EXPECT_EQ(itemByItem, whole) << length << " items, limit " << limit;
    }
  }
}

TEST(ParseRequest, TextNestedTooDeeplyIsAnsweredNotIgnored) {
  const std::string deepArray = std::string(100000, '[') + std::string(100000, ']');
  EXPECT_THROW(parseRequest(deepArray), CmdException);
  std::string deepObject;
  for (int i = 0; i < 5000; ++i) deepObject += "{\"a\":";
  EXPECT_THROW(parseRequest(deepObject + "1"), CmdException);
}

// Script's JSON.stringify escapes a lone surrogate; the reader refused the
// first half and wrote the second as bytes that are not UTF-8.
TEST(ParseRequest, EscapedLoneSurrogatesReadAsReplacementCharacters) {
  const Request request = parsed(
      R"(["x\ud800y", "a\udc00b", "\ud83d\ude00", "abc\ud83d", "\\ud800", "\uDBFF\uDBFF\uDFFF"])");
  EXPECT_EQ(request.text(0), "x\xEF\xBF\xBDy");
  EXPECT_EQ(request.text(1), "a\xEF\xBF\xBD" "b");
  EXPECT_EQ(request.text(2), "\xF0\x9F\x98\x80") << "a pair stays one character";
  EXPECT_EQ(request.text(3), "abc\xEF\xBF\xBD");
  EXPECT_EQ(request.text(4), "\\ud800") << "an escaped backslash escapes nothing after it";
  EXPECT_EQ(request.text(5), "\xEF\xBF\xBD\xF4\x8F\xBF\xBF");
}

TEST(ParseRequest, SaysWhatATextThatIsNoRequestIsInstead) {
  const std::string notArray = "request is not a JSON array: ";
  EXPECT_EQ(notARequest(" \n"), notArray + "empty text");
  EXPECT_EQ(notARequest("[1,2"),
            notArray + "not JSON at byte 4: Missing ',' or ']' in array declaration");
  EXPECT_EQ(notARequest("[ ] // nothing"), "request is an empty array");
  EXPECT_EQ(notARequest("{\"a\": 1}"), notArray + "an object");
  EXPECT_EQ(notARequest("true"), notArray + "a boolean");
  EXPECT_EQ(notARequest("null"), notArray + "null");
  EXPECT_EQ(notARequest("-1.5"), notArray + "a number");
}

TEST(RequestText, RealsKeepTheirDecimalPointInADecimalCommaLocale) {
  const std::string previous = std::setlocale(LC_ALL, nullptr);
  ASSERT_NE(std::setlocale(LC_ALL, "pl_PL.UTF-8"), nullptr)
      << "the pl_PL.UTF-8 locale must be installed (tools/install-deps.sh)";
  const std::string text = parsed("[1.5]").text(0);
  std::setlocale(LC_ALL, previous.c_str());
  EXPECT_EQ(text, "1.500000");
}

TEST(RecordText, IsTheRecordInUtf8ReadableAsScript) {
  EXPECT_EQ(recordText({"id7", "pass", "run"}), "[ \"id7\", \"pass\", \"run\" ]\n");
  EXPECT_EQ(recordText({"id7", "pass", "finish", "łąka\xe2\x80\xa8\xe2\x80\xa9"}),
            "[ \"id7\", \"pass\", \"finish\", \"łąka\\u2028\\u2029\" ]\n");
}

}  // namespace
}  // namespace bridge
