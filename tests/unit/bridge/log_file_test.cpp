#include "bridge/log_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

#include "tests/support/scratch.h"

namespace bridge {
namespace {

// Runs each test in a fresh working directory, since the log lives in ./debug.
class LogFileTest : public ::testing::Test {
 protected:
  static std::string contents(const LogFile& log) {
    return support::readFile("debug/" + log.fileName());
  }

  support::Directory directory_{"log"};
  support::WorkingDirectory inside_{directory_.path()};
};

TEST(TimeStamp, IsFifteenCharactersOfLocalTime) {
  setenv("TZ", "UTC", 1);
  tzset();
  EXPECT_EQ(timeStamp(1426860902), "20150320-141502");
}

TEST_F(LogFileTest, NameCarriesTheCreationTime) {
  LogFile log;
  EXPECT_TRUE(std::regex_match(log.fileName(), std::regex(R"(log-\d{8}-\d{6}\.txt)")))
      << log.fileName();
}

TEST_F(LogFileTest, AppendsOneStampedLinePerMessage) {
  LogFile log;
  log.write("first");
  log.write("two\nlines");
  log.write("");
  EXPECT_TRUE(
      std::regex_match(contents(log), std::regex(R"(\d{8}-\d{6}: first\n\d{8}-\d{6}: two\nlines\n)"
                                                 R"(\d{8}-\d{6}: \n)")))
      << contents(log);
}

TEST_F(LogFileTest, RecreatesItsDirectoryWhenDeleted) {
  LogFile log;
  log.write("before");
  std::system("rm -rf debug");
  log.write("after");
  EXPECT_TRUE(std::regex_match(contents(log), std::regex(R"(\d{8}-\d{6}: after\n)")));
}

TEST_F(LogFileTest, LosesTheLineQuietlyWhenItCannotWrite) {
  std::ofstream("debug") << "a file where the directory should be";
  LogFile log;
  log.write("lost");
  struct stat info {};
  ASSERT_EQ(stat("debug", &info), 0);
  EXPECT_TRUE(S_ISREG(info.st_mode));
}

}  // namespace
}  // namespace bridge
