#include "runtime/exception.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/unit/runtime/test_support.h"

namespace {

TEST(Exception, WritesItsLineWhenMadeEvenIfNeverThrown) {
  testing::internal::CaptureStdout();
  Exception made("DSBox::getValue");
  EXPECT_EQ("E:(DSBox::getValue)\n", testing::internal::GetCapturedStdout());
  EXPECT_EQ("DSBox::getValue", made.Message().str());
}

TEST(Exception, CopiesDoNotWriteAgain) {
  testing::internal::CaptureStdout();
  std::string caught;
  try {
    throw Exception(AnsiString("HttpAuth::toXML(") + AnsiString(7) + ")");
  } catch (const Exception& e) {
    Exception copy = e;
    caught = copy.Message().str();
  }
  EXPECT_EQ("E:(HttpAuth::toXML(7))\n", testing::internal::GetCapturedStdout());
  EXPECT_EQ("HttpAuth::toXML(7)", caught);
}

TEST(Exception, ShapeExceptionsAreDistinctTypes) {
  EXPECT_THROW(throw SimpleDataException(), SimpleDataException);
  EXPECT_THROW(throw SFDataException(), SFDataException);
  bool reached_sf_handler = false;
  try {
    throw SFDataException();
  } catch (const SimpleDataException&) {
  } catch (const SFDataException&) {
    reached_sf_handler = true;
  }
  EXPECT_TRUE(reached_sf_handler);
}

}  // namespace
