#include "runtime/option.h"

#include <gtest/gtest.h>

#include "runtime/ansi_string.h"
#include "tests/unit/runtime/test_support.h"

namespace {

TEST(Option, EmptyAnswersNoneAndRefusesTheValue) {
  Option<AnsiString> none;
  EXPECT_TRUE(none.isNone());
  EXPECT_FALSE(none.isValue());
  EXPECT_EQ("Option<T>::asValue", ExceptionMessage([&] { none.asValue(); }));
}

TEST(Option, HoldsACopyOfTheValue) {
  AnsiString text("value");
  Option<AnsiString> some(text);
  text = "changed";
  EXPECT_TRUE(some.isValue());
  EXPECT_FALSE(some.isNone());
  EXPECT_EQ("value", some.asValue().str());

  Option<AnsiString> copy = some;
  EXPECT_EQ("value", copy.asValue().str());
  copy = Option<AnsiString>();
  EXPECT_TRUE(copy.isNone());
  EXPECT_EQ("value", some.asValue().str());
}

}  // namespace
