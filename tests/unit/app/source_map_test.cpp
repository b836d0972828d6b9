// Source maps: base64 VLQ segments and the original place of a bundle's line.
#include <gtest/gtest.h>

#include "app/source_map.h"

namespace {

using app::decodeVlq;
using app::originalPosition;

TEST(Vlq, DecodesSignsAndContinuedDigitsAndRefusesWhatIsNoSegment) {
  EXPECT_EQ(decodeVlq("AAgBC"), (std::vector<int>{0, 0, 16, 1}));
  EXPECT_EQ(decodeVlq("D"), (std::vector<int>{-1}));
  EXPECT_EQ(decodeVlq("2HwcrxB"), (std::vector<int>{123, 456, -789}));
  EXPECT_EQ(decodeVlq("+/"), std::nullopt) << "a value cut short";
  EXPECT_EQ(decodeVlq("A*"), std::nullopt);
  EXPECT_EQ(decodeVlq(""), std::nullopt);
  EXPECT_EQ(decodeVlq("gggggggggA"), std::nullopt) << "more than 31 bits";
}

// Line 1 maps to a.ts line 1; line 2 has a one-value segment, then b.ts
// line 11 from column 4 and a.ts line 3 from column 10; line 3 maps nothing.
const char kMap[] =
    R"({"version":3,"sourceRoot":"src/","sources":["a.ts","b.ts"],)"
    R"("mappings":"AAAA;A,ICUA,MDRA;"})";

TEST(SourceMap, PlacesALineAndColumnWithSourcesAndLinesCountedAcrossLines) {
  const auto first = originalPosition(kMap, 1);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->source, "src/a.ts");
  EXPECT_EQ(first->line, 1);

  const auto start = originalPosition(kMap, 2, 0);
  ASSERT_TRUE(start);
  EXPECT_EQ(start->source, "src/b.ts") << "the line's first mapping before its first column";
  EXPECT_EQ(start->line, 11);
  const auto later = originalPosition(kMap, 2, 12);
  ASSERT_TRUE(later);
  EXPECT_EQ(later->source, "src/a.ts");
  EXPECT_EQ(later->line, 3);

  EXPECT_FALSE(originalPosition(kMap, 3));
  EXPECT_FALSE(originalPosition(kMap, 9));
}

TEST(SourceMap, ABrokenMapPlacesNothing) {
  EXPECT_FALSE(originalPosition("not json", 1));
  EXPECT_FALSE(originalPosition(R"({"sources":["a.ts"]})", 1));
  EXPECT_FALSE(originalPosition(R"({"sources":["a.ts"],"mappings":"AAAA*"})", 1));
  EXPECT_FALSE(originalPosition(R"({"sources":["a.ts"],"mappings":"ACAA"})", 1))
      << "a source index past the list";
  EXPECT_FALSE(originalPosition(R"({"sources":["a.ts"],"mappings":"ADAA"})", 1))
      << "a negative source index";
}

}  // namespace
