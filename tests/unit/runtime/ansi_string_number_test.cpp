#include <gtest/gtest.h>
#include <locale.h>

#include <climits>
#include <cmath>
#include <limits>
#include <string>

#include "runtime/ansi_string.h"

namespace {

// The message thrown by a failed conversion, or "" when nothing was thrown.
template <typename Conversion>
std::string ThrownText(Conversion convert) {
  try {
    convert();
  } catch (const AnsiString& thrown) {
    return thrown.str();
  }
  return "";
}

std::string IntFailure(const std::string& text) {
  return ThrownText([&] { AnsiString(text).ToInt(); });
}

std::string DoubleFailure(const std::string& text) {
  return ThrownText([&] { AnsiString(text).ToDouble(); });
}

TEST(AnsiStringToInt, AcceptsWhatStrtolConsumesWhole) {
  EXPECT_EQ(12, AnsiString(" 12").ToInt());
  EXPECT_EQ(-7, AnsiString("-7").ToInt());
  EXPECT_EQ(5, AnsiString("+5").ToInt());
  EXPECT_EQ(0, AnsiString("0").ToInt());
  EXPECT_EQ(8, AnsiString("008").ToInt());  // base 10, not octal
}

TEST(AnsiStringToInt, RejectsEmptyAndLeftoverBytes) {
  for (const std::string& text :
       std::initializer_list<std::string>{"12x", "", " ", "12 ", "x", "+", "-", "0x10", "1.5",
                                          std::string("1\0"
                                                      "2",
                                                      3)}) {
    EXPECT_EQ("AnsiString::ToInt()", IntFailure(text)) << "text: " << text;
  }
}

TEST(AnsiStringToInt, SaturatesAtThirtyTwoBits) {
  EXPECT_EQ(INT_MAX, AnsiString("2147483647").ToInt());
  EXPECT_EQ(INT_MAX, AnsiString("2147483648").ToInt());
  EXPECT_EQ(INT_MIN, AnsiString("-2147483648").ToInt());
  EXPECT_EQ(INT_MIN, AnsiString("-2147483649").ToInt());
  EXPECT_EQ(INT_MAX, AnsiString("99999999999999999999999").ToInt());
  EXPECT_EQ(INT_MIN, AnsiString("-" + std::string(100000, '9')).ToInt());
}

TEST(AnsiStringToInt, ToIntOrFallsBackOnAnyFailure) {
  EXPECT_EQ(7, AnsiString("x").ToIntOr(7));
  EXPECT_EQ(7, AnsiString().ToIntOr(7));
  EXPECT_EQ(30, AnsiString("30").ToIntOr(7));
}

TEST(AnsiStringToDouble, AcceptsWhatStrtodConsumesWhole) {
  EXPECT_DOUBLE_EQ(3.5, AnsiString("3.5").ToDouble());
  EXPECT_DOUBLE_EQ(-0.25, AnsiString(" -.25").ToDouble());
  EXPECT_DOUBLE_EQ(1500.0, AnsiString("1.5e3").ToDouble());
  EXPECT_TRUE(std::isinf(AnsiString("1e999").ToDouble()));
}

TEST(AnsiStringToDouble, RejectsEmptyAndLeftoverBytes) {
  for (const std::string& text :
       std::initializer_list<std::string>{"", " ", "3.5x", "3,5", "x", std::string("1\0", 2)}) {
    EXPECT_EQ("AnsiString::ToDouble()", DoubleFailure(text)) << "text: " << text;
  }
}

// A GUI toolkit may switch the process to a locale with a decimal comma;
// the conversions must keep reading and writing a point.
TEST(AnsiStringToDouble, IgnoresTheProcessLocale) {
  const char* previous = setlocale(LC_NUMERIC, nullptr);
  std::string restore = previous ? previous : "C";
  ASSERT_NE(setlocale(LC_NUMERIC, "pl_PL.UTF-8"), nullptr)
      << "the pl_PL.UTF-8 locale must be installed (tools/install-deps.sh)";
  EXPECT_DOUBLE_EQ(2.5, AnsiString("2.5").ToDouble());
  EXPECT_EQ("2.5", AnsiString(2.5).str());
  setlocale(LC_NUMERIC, restore.c_str());
}

TEST(AnsiStringFormat, Integers) {
  EXPECT_EQ("-2147483648", AnsiString(INT_MIN).str());
  EXPECT_EQ("0", AnsiString(0).str());
  EXPECT_EQ("4294967295", AnsiString(UINT_MAX).str());
}

TEST(AnsiStringFormat, DoubleExamples) {
  EXPECT_EQ("3.125", AnsiString(3.125).str());
  EXPECT_EQ("2", AnsiString(2.000000001).str());
  EXPECT_EQ("8", AnsiString(7.999999999).str());
  EXPECT_EQ("0.5", AnsiString(0.5).str());
  EXPECT_EQ("-1.25", AnsiString(-1.25).str());
  EXPECT_EQ("0", AnsiString(0.0).str());
  EXPECT_EQ("0", AnsiString(-0.0).str());
  EXPECT_EQ("0.00000001", AnsiString(0.00000001).str());
  EXPECT_EQ("0.99999999", AnsiString(0.99999999).str());
  EXPECT_EQ("10.1", AnsiString(10.1).str());
  EXPECT_EQ("-0.5", AnsiString(-0.5).str());
}

TEST(AnsiStringFormat, DoubleAtTheThirtyTwoBitEdge) {
  EXPECT_EQ("2147483647", AnsiString(2147483647.0).str());
  EXPECT_EQ("2147483648", AnsiString(2147483647.999999999).str());
  EXPECT_EQ("-2147483647.5", AnsiString(-2147483647.5).str());
  // Outside the 32-bit domain the text still reads back to the value.
  for (double value : {4294967296.5, -1e300, 1e20}) {
    EXPECT_DOUBLE_EQ(value, AnsiString(value).ToDouble());
  }
  EXPECT_EQ("inf", AnsiString(std::numeric_limits<double>::infinity()).str());
  EXPECT_EQ("nan", AnsiString(std::numeric_limits<double>::quiet_NaN()).str());
}

}  // namespace
