// The desktop commands driven by pages through the real binary. Nothing here
// may open anything on the machine: $PATH holds only stand-in scripts.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <stdexcept>

#include "tests/support/page_runner.h"
#include "tests/support/sectioned_page.h"

namespace {

namespace fs = std::filesystem;

using TestFolder = support::Directory;

void writeExecutable(const std::string& path, const std::string& content) {
  e2e::writeFile(path, content);
  ::chmod(path.c_str(), 0755);
}

// Records go to a temporary name first and are renamed into place, so the
// page never reads half a record.
std::string recordingScript(const std::string& record) {
  return "#!/bin/sh\nPATH=/usr/bin:/bin\n"
         "{ pwd; for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done; } > '" +
         record + ".tmp' && mv '" + record + ".tmp' '" + record + "'\n";
}

std::string jsPaths(const std::map<std::string, std::string>& paths) {
  std::string text = "var TEST = {";
  for (const auto& [name, path] : paths) text += "\n  " + name + ": \"" + path + "\",";
  text.pop_back();
  return text + "\n};\n";
}

std::set<std::string> namesIn(const std::string& directory) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(directory)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

TEST(DesktopFiles, SaveAndLoadKeepEveryByte) {
  TestFolder folder;
  fs::create_directories(folder / "sub");
  e2e::writeFile(folder / "existing.txt", "prepared by the test\n");

  e2e::RunOptions options;
  options.files["test_paths.js"] = jsPaths({{"folder", folder.path()}});
  options.files["fifth-nul.bin"] = std::string("abcd\0fghi", 9);
  options.files["latin1.txt"] = "caf\xe9 ok";
  options.files["target.txt"] = "before";
  options.files["linked-a.txt"] = "before";
  options.setUp = [](const std::string& directory) {
    ::mkfifo((directory + "/pipe").c_str(), 0600);
    fs::create_symlink("target.txt", directory + "/link.txt");
    fs::create_hard_link(directory + "/linked-a.txt", directory + "/linked-b.txt");
  };
  const e2e::PageRun run = e2e::runPage("desktop_files.html", options);
  ASSERT_EQ(e2e::failureReport(run), "");

  EXPECT_EQ(e2e::readFile(run.directory + "/zażółć gęślą.txt"), "name test");
  EXPECT_EQ(e2e::readFile(run.directory + "/nul.bin"), std::string("abcd\0efg", 8));
  EXPECT_EQ(e2e::readFile(run.directory + "/notes.txt"), "short");
  EXPECT_EQ(e2e::readFile(run.directory + "/empty.txt"), "");
  EXPECT_EQ(e2e::readFile(folder / "sub/absolute.txt"), "absolute");
  EXPECT_TRUE(fs::is_symlink(run.directory + "/link.txt"));
  EXPECT_EQ(fs::hard_link_count(run.directory + "/linked-b.txt"), 2u);

  // Failed saves leave no temporary files behind.
  const std::set<std::string> expected = {
      "index.html",       "check.js",   "pageshell.js", "test_paths.js", "fifth-nul.bin",
      "latin1.txt",       "debug",      "storage",      "notes.txt",     "empty.txt",
      "zażółć gęślą.txt", "nul.bin",    "large.txt",    "number.txt",    "pipe",
      "link.txt",         "target.txt", "linked-a.txt", "linked-b.txt",  "polish.txt",
      "separator.txt"};
  EXPECT_EQ(namesIn(run.directory), expected);
  EXPECT_EQ(namesIn(folder / "sub"), std::set<std::string>{"absolute.txt"});
}

// The engine needs room of its own for what it draws; the page's files keep
// the limit the user set.
TEST(DesktopFiles, AFileSizeLimitHoldsForPagesNotForTheEngine) {
  e2e::RunOptions options;
  options.maxFileSize = 64 * 1024;
  const e2e::PageRun run = e2e::runPage("desktop_file_size_limit.html", options);
  ASSERT_EQ(e2e::failureReport(run), "");
  EXPECT_EQ(namesIn(run.directory).count("small.txt"), 1u);
  EXPECT_EQ(namesIn(run.directory).size(), 6u) << "nothing of the refused save is left";
}

// The byte, folder, argument and geometry commands: one run of their page
// for the tests of its parts.
class DesktopFolders : public e2e::SectionedPage<DesktopFolders> {
 public:
  static e2e::PageRun runOnce() {
    e2e::RunOptions options;
    options.arguments = {"--", "first arg", "--second", "-debug"};
    options.setUp = [](const std::string& directory) {
      fs::create_directories(directory + "/outside");
      e2e::writeFile(directory + "/outside/kept.txt", "kept");
      fs::create_symlink("outside", directory + "/outside-link");
    };
    return e2e::runPage("desktop_folders.html", options);
  }
};

TEST_F(DesktopFolders, Base64KeepsEveryByteAndRefusesWhatIsNotBase64) {
  EXPECT_EQ(section("bytes"), "");
  EXPECT_EQ(e2e::readFile(run().directory + "/bytes.bin"), std::string("\0\xff\x01\x80", 4));
}

TEST_F(DesktopFolders, FoldersAreMadeListedAndStatedWithLinksShownAsLinks) {
  EXPECT_EQ(section("folders"), "");
}

TEST_F(DesktopFolders, CopiesMovesAndRemovalsNeverReplaceOrFollowLinks) {
  EXPECT_EQ(section("copies, moves and removals"), "");
  EXPECT_EQ(namesIn(run().directory + "/tree"), (std::set<std::string>{"b.txt", "sub"}));
}

TEST_F(DesktopFolders, ArgumentsAfterTheDoubleDashAreThePagesAsGiven) {
  EXPECT_EQ(section("arguments"), "");
  EXPECT_EQ(run().output.find("DONE"), std::string::npos)
      << "-debug after -- is the page's: no log echo";
}

TEST_F(DesktopFolders, GeometryIsReadAndSetAndNumbersAreChecked) {
  EXPECT_EQ(section("geometry"), "");
}

// The answers of the window commands: one run of their page.
class DesktopWindow : public e2e::SectionedPage<DesktopWindow> {
 public:
  static e2e::PageRun runOnce() { return e2e::runPage("desktop_window.html"); }
};

TEST_F(DesktopWindow, TitleTakesAnyTextOrNone) { EXPECT_EQ(section("title"), ""); }

TEST_F(DesktopWindow, StateIsSetMaskedAndReadBack) { EXPECT_EQ(section("window state"), ""); }

TEST_F(DesktopWindow, TaskBarStateAnswersWhateverItIsGiven) { EXPECT_EQ(section("task bar"), ""); }

TEST_F(DesktopWindow, ExitListenersAreAddedReplacedAndRemoved) {
  EXPECT_EQ(section("exit listener"), "");
}

TEST_F(DesktopWindow, TheClientLibraryRegistersItsListenerOnce) {
  EXPECT_EQ(section("client library"), "");
}

TEST(DesktopPrograms, KnownFoldersAndShellExecuteWithStandIns) {
  TestFolder folder;
  const std::string bin = folder / "bin";
  const std::string home = folder / "home";
  const std::string config = folder / "config";
  fs::create_directories(bin);
  fs::create_directories(folder / "records");
  fs::create_directories(folder / "work");
  fs::create_directories(config);
  writeExecutable(bin + "/xdg-open", recordingScript(folder / "records/xdg-open.log"));
  writeExecutable(bin + "/record-args", recordingScript("args.log"));
  e2e::writeFile(config + "/user-dirs.dirs",
                 "XDG_DESKTOP_DIR=\"$HOME/Pulpit\"\nXDG_MUSIC_DIR=\"/srv/muzyka\"\n");

  e2e::RunOptions options;
  options.environment = {{"PATH", bin},
                         {"HOME", home},
                         {"XDG_CONFIG_HOME", config},
                         {"XDG_DATA_HOME", ""},
                         {"XDG_CACHE_HOME", ""}};
  options.files["test_paths.js"] = jsPaths({{"bin", bin},
                                            {"home", home},
                                            {"config", config},
                                            {"records", folder / "records"},
                                            {"work", folder / "work"}});
  const e2e::PageRun run = e2e::runPage("desktop_programs.html", options);
  ASSERT_EQ(e2e::failureReport(run), "");
  EXPECT_EQ(e2e::readFile(home + "/Pictures/a.txt"), "a");
  EXPECT_FALSE(fs::exists(home + "/Documents")) << "only the create flag creates folders";
}

}  // namespace
