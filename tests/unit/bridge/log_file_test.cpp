#include "bridge/log_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

namespace bridge {
namespace {

// Runs each test in a fresh working directory, since the log lives in ./debug.
class LogFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/pageshell-log-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    directory_ = pattern;
    ASSERT_NE(getcwd(previous_, sizeof previous_), nullptr);
    ASSERT_EQ(chdir(directory_.c_str()), 0);
  }
  void TearDown() override {
    ASSERT_EQ(chdir(previous_), 0);
    std::system(("rm -rf " + directory_).c_str());
  }

  static std::string contents(const LogFile& log) {
    std::ifstream in("debug/" + log.fileName(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  std::string directory_;
  char previous_[4096];
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
  EXPECT_TRUE(std::regex_match(contents(log),
                               std::regex(R"(\d{8}-\d{6}: first\n\d{8}-\d{6}: two\nlines\n)"
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
