// Folder numbers mapped to the freedesktop.org folders of a test home.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>

#include "platform/directory.h"
#include "platform/known_folder.h"
#include "platform/xdg_dirs.h"
#include "tests/support/scratch.h"

namespace {

// The path, or the failure's message in its stead.
std::string knownFolderPath(int number) {
  const platform::Result<std::string> path = platform::knownFolderPath(number);
  return path ? *path : "failed: " + path.status().message();
}

// A home of our own with every XDG variable unset.
class KnownFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    environment_.set("HOME", home_);
    for (const char* name :
         {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_DATA_DIRS"}) {
      environment_.set(name, std::nullopt);
    }
  }

  support::Directory root_;
  std::string home_ = root_ / "home";
  support::Environment environment_;
};

TEST_F(KnownFolder, DefaultsLieUnderTheHome) {
  const std::map<int, std::string> expected = {
      {0, home_ + "/Desktop"},       {16, home_ + "/Desktop"},
      {5, home_ + "/Documents"},     {7, home_ + "/.config/autostart"},
      {8, home_ + "/.local/share"},  {13, home_ + "/Music"},
      {14, home_ + "/Videos"},       {20, home_ + "/.local/share/fonts"},
      {21, home_ + "/Templates"},    {26, home_ + "/.config"},
      {28, home_ + "/.local/share"}, {32, home_ + "/.cache"},
      {35, "/usr/local/share"},      {38, "/opt"},
      {39, home_ + "/Pictures"},     {40, home_},
  };
  for (const auto& [number, path] : expected) {
    EXPECT_EQ(knownFolderPath(number), path) << "folder " << number;
  }
  EXPECT_FALSE(platform::isDirectory(home_)) << "asking creates nothing";
}

TEST_F(KnownFolder, BaseDirectoriesFollowTheirVariables) {
  environment_.set("XDG_CONFIG_HOME", "/srv/conf/");
  environment_.set("XDG_DATA_HOME", "/srv/data");
  environment_.set("XDG_CACHE_HOME", "/srv/cache");
  environment_.set("XDG_DATA_DIRS", "relative/share::/srv/shared:/usr/share");
  EXPECT_EQ(knownFolderPath(26), "/srv/conf");
  EXPECT_EQ(knownFolderPath(7), "/srv/conf/autostart");
  EXPECT_EQ(knownFolderPath(28), "/srv/data");
  EXPECT_EQ(knownFolderPath(20), "/srv/data/fonts");
  EXPECT_EQ(knownFolderPath(32), "/srv/cache");
  EXPECT_EQ(knownFolderPath(35), "/srv/shared");

  // Relative values are not allowed by the convention and are ignored.
  environment_.set("XDG_CONFIG_HOME", "conf");
  environment_.set("XDG_DATA_DIRS", "a:b");
  EXPECT_EQ(knownFolderPath(26), home_ + "/.config");
  EXPECT_EQ(knownFolderPath(35), "/usr/local/share");
}

TEST_F(KnownFolder, UserDirectoriesComeFromUserDirsDirs) {
  const std::string config = root_ / "conf";
  environment_.set("XDG_CONFIG_HOME", config);
  support::makeDirectory(config);
  support::writeFile(config + "/user-dirs.dirs",
                     "# written by the desktop\n"
                     "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
                     "  XDG_MUSIC_DIR=\"/data/Musik/\"\n"
                     "XDG_VIDEOS_DIR=$HOME/Filmy\n"
                     "XDG_PICTURES_DIR=\"$HOME/Zdj\\\"ęcia\"\n"
                     "XDG_TEMPLATES_DIR=\"relative/ignored\"\n"
                     "XDG_DOCUMENTS_DIR=\"$HOME/Old\"\n"
                     "XDG_DOCUMENTS_DIR=\"$HOME/Dokumenty\"\n"
                     "#XDG_DOCUMENTS_DIR=\"$HOME/Commented\"\n");
  EXPECT_EQ(knownFolderPath(0), home_ + "/Schreibtisch");
  EXPECT_EQ(knownFolderPath(13), "/data/Musik");
  EXPECT_EQ(knownFolderPath(14), home_ + "/Filmy");
  EXPECT_EQ(knownFolderPath(39), home_ + "/Zdj\"ęcia");
  EXPECT_EQ(knownFolderPath(21), home_ + "/Templates");
  EXPECT_EQ(knownFolderPath(5), home_ + "/Dokumenty");
}

TEST_F(KnownFolder, FlagBitsAreMaskedAndUnknownNumbersRefused) {
  EXPECT_EQ(knownFolderPath(0x4000 | 5), home_ + "/Documents");
  EXPECT_EQ(knownFolderPath(0x10000 | 40), home_);
  EXPECT_EQ(knownFolderPath(0x100), home_ + "/Desktop") << "flags over folder 0";
  for (int unknown : {1, 2, 3, 6, 9, 41, 255, -1, 0x1FF}) {
    EXPECT_EQ(platform::knownFolderPath(unknown).status().code(), EINVAL) << unknown;
  }
}

TEST_F(KnownFolder, CreateFlagMakesTheFolderAndItsParents) {
  EXPECT_EQ(knownFolderPath(platform::kKnownFolderCreate | 20), home_ + "/.local/share/fonts");
  EXPECT_TRUE(platform::isDirectory(home_ + "/.local/share/fonts"));
  // A second time the folder is simply there.
  EXPECT_EQ(knownFolderPath(platform::kKnownFolderCreate | 20), home_ + "/.local/share/fonts");
}

TEST_F(KnownFolder, FolderThatCannotBeCreatedIsAFailure) {
  support::writeFile(home_, "a file where the home should be");
  const platform::Status failed =
      platform::knownFolderPath(platform::kKnownFolderCreate | 5).status();
  EXPECT_EQ(failed.code(), EEXIST);
  EXPECT_EQ(failed.path(), home_) << "the level that could not be made";
  EXPECT_EQ(knownFolderPath(5), home_ + "/Documents") << "without the flag the path is given";
}

TEST_F(KnownFolder, WithoutAUsableHomeThePasswordDatabaseAnswers) {
  for (const std::optional<std::string>& home :
       {std::optional<std::string>(), std::optional<std::string>("relative")}) {
    environment_.set("HOME", home);
    const std::string profile = knownFolderPath(40);
    EXPECT_EQ(profile.front(), '/');
    EXPECT_EQ(knownFolderPath(5), profile + "/Documents");
  }
}

TEST(XdgDirs, UserDirsValues) {
  using platform::userDirsValue;
  EXPECT_EQ(userDirsValue("\"$HOME/\"", "/h"), "/h");
  EXPECT_EQ(userDirsValue("$HOME", "/h"), "/h");
  EXPECT_EQ(userDirsValue("\"$HOME/a b\"", "/h"), "/h/a b");
  EXPECT_EQ(userDirsValue("\"$HOMEWORK/x\"", "/h"), std::nullopt);
  EXPECT_EQ(userDirsValue("\"~/x\"", "/h"), std::nullopt);
  EXPECT_EQ(userDirsValue("\"\"", "/h"), std::nullopt);
  EXPECT_EQ(userDirsValue("\"/\"", "/h"), "/");
}

}  // namespace
