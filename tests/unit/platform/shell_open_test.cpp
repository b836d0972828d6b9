// Opening and starting things with stand-ins: $PATH holds only a folder of
// test scripts, so the desktop's real default handler is never reached. The
// stand-in `xdg-open` writes its working directory and arguments, one a line,
// into xdg-open.log of the test folder.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "platform/detached_process.h"
#include "platform/shell_open.h"
#include "tests/support/scratch.h"

namespace {

// The code a page is told.
int shellOpen(const std::string& operation, const std::string& file, const std::string& parameters,
              const std::string& directory) {
  return platform::shellExecuteCode(platform::shellOpen(operation, file, parameters, directory));
}

// Records go to a temporary name first and are renamed into place, so a
// record that exists is complete.
std::string recordingScript(const std::string& record, const std::string& body) {
  return "#!/bin/sh\nPATH=/usr/bin:/bin\n{ " + body + "; } > '" + record + ".tmp' && mv '" +
         record + ".tmp' '" + record + "'\n";
}

const char kArgumentLines[] = "pwd; for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done";

class ShellOpen : public ::testing::Test {
 protected:
  void SetUp() override {
    support::makeDirectory(bin_);
    support::makeDirectory(work_);
    support::writeFile(bin_ + "/xdg-open", recordingScript(root_ / "xdg-open.log", kArgumentLines),
                       true);
    // Records into args.log of its working directory.
    support::writeFile(bin_ + "/record-args", recordingScript("args.log", kArgumentLines), true);
    support::writeFile(root_ / "notes.txt", "some notes\n");
    environment_.set("PATH", bin_);
  }

  std::string handlerRecord() {
    return support::waitForFile(root_ / "xdg-open.log").value_or("(xdg-open never ran)");
  }

  std::string cwd() {
    char buffer[4096];
    return ::getcwd(buffer, sizeof buffer);
  }

  support::Directory root_;
  std::string bin_ = root_ / "bin";
  std::string work_ = root_ / "work";
  support::Environment environment_;
};

TEST_F(ShellOpen, OpensADocumentWithTheDefaultHandlerIgnoringParameters) {
  EXPECT_EQ(shellOpen("open", root_ / "notes.txt", "--not-for-documents", ""), 42);
  EXPECT_EQ(handlerRecord(), cwd() + "\n[" + (root_ / "notes.txt") + "]\n");
}

TEST_F(ShellOpen, EmptyOrCapitalisedOpenIsOpen) {
  EXPECT_EQ(shellOpen("", root_ / "notes.txt", "", work_), 42);
  EXPECT_EQ(handlerRecord(), work_ + "\n[" + (root_ / "notes.txt") + "]\n");
  EXPECT_EQ(shellOpen("OPEN", root_ / "notes.txt", "", ""), 42);
}

TEST_F(ShellOpen, RelativeFilesAreFoundInTheDirectoryAndHandedOnAbsolute) {
  EXPECT_EQ(shellOpen("open", "notes.txt", "", root_.path()), 42);
  EXPECT_EQ(handlerRecord(), root_.path() + "\n[" + (root_ / "notes.txt") + "]\n");
}

TEST_F(ShellOpen, FoldersOpenAndExplore) {
  EXPECT_EQ(shellOpen("explore", work_, "", ""), 42);
  EXPECT_EQ(handlerRecord(), cwd() + "\n[" + work_ + "]\n");
  EXPECT_EQ(shellOpen("open", work_, "", ""), 42);
  EXPECT_EQ(shellOpen("explore", root_ / "notes.txt", "", ""), platform::kShellNoAssociation);
}

TEST_F(ShellOpen, AddressesGoToTheHandlerUnchanged) {
  const std::string address = "https://example.org/a b?x=1&y='2'";
  EXPECT_EQ(shellOpen("open", address, "", ""), 42);
  EXPECT_EQ(handlerRecord(), cwd() + "\n[" + address + "]\n");
  EXPECT_EQ(shellOpen("explore", "mailto:someone@example.org", "", ""),
            platform::kShellNoAssociation);
}

TEST_F(ShellOpen, Utf8NamesPassThrough) {
  const std::string folder = root_ / "zażółć gęślą";
  support::makeDirectory(folder);
  support::writeFile(folder + "/jaźń.txt", "x");
  EXPECT_EQ(shellOpen("open", "jaźń.txt", "", folder), 42);
  EXPECT_EQ(handlerRecord(), folder + "\n[" + folder + "/jaźń.txt]\n");
}

TEST_F(ShellOpen, FailuresAnswerTheirCodes) {
  EXPECT_EQ(shellOpen("open", root_ / "missing.txt", "", ""), platform::kShellFileNotFound);
  EXPECT_EQ(shellOpen("open", "", "", ""), platform::kShellFileNotFound);
  EXPECT_EQ(shellOpen("explore", root_ / "missing", "", ""), platform::kShellFileNotFound);
  EXPECT_EQ(shellOpen("open", "notes.txt", "", root_ / "missing"), platform::kShellPathNotFound);
  EXPECT_EQ(shellOpen("print", root_ / "notes.txt", "", ""), platform::kShellNoAssociation);
  EXPECT_EQ(shellOpen("runas", bin_ + "/record-args", "", ""), platform::kShellNoAssociation);

  // The missing interpreter fails the start with ENOENT: still no file is missing.
  support::writeFile(bin_ + "/orphan", "#!/nonexistent/interpreter\n", true);
  const platform::Status orphan = platform::shellOpen("open", bin_ + "/orphan", "", "");
  EXPECT_EQ(platform::shellExecuteCode(orphan), platform::kShellNoAssociation);
  EXPECT_EQ(orphan.path(), bin_ + "/orphan");
}

TEST_F(ShellOpen, WithoutAHandlerNothingCanOpen) {
  support::Directory empty;
  environment_.set("PATH", empty.path());
  EXPECT_EQ(shellOpen("open", root_ / "notes.txt", "", ""), platform::kShellNoAssociation);
  EXPECT_EQ(shellOpen("open", "https://example.org", "", ""), platform::kShellNoAssociation);
}

TEST_F(ShellOpen, StartsProgramsWithSplitParametersInTheDirectory) {
  EXPECT_EQ(shellOpen("open", bin_ + "/record-args", R"(one 'two words' "three \"q\"" '')", work_),
            42);
  EXPECT_EQ(support::waitForFile(work_ + "/args.log").value_or(""),
            work_ + "\n[one]\n[two words]\n[three \"q\"]\n[]\n");
}

TEST_F(ShellOpen, BareProgramNamesAreFoundOnThePath) {
  EXPECT_EQ(shellOpen("", "record-args", "x", work_), 42);
  EXPECT_EQ(support::waitForFile(work_ + "/args.log").value_or(""), work_ + "\n[x]\n");
}

TEST_F(ShellOpen, ExecutableTextThatIsNoProgramOpensAsADocument) {
  support::writeFile(root_ / "readme", "just text, no program\n", true);
  EXPECT_EQ(shellOpen("open", root_ / "readme", "", ""), 42);
  EXPECT_EQ(handlerRecord(), cwd() + "\n[" + (root_ / "readme") + "]\n");
}

// What the shell ignores or blocks for itself must not reach the program, and
// the program must not be tied to the shell's session, input or process.
class DetachedProcess : public ShellOpen {};

TEST_F(DetachedProcess, StartsCleanInItsOwnSessionAndLeavesNoChild) {
  const std::string record = root_ / "env.log";
  support::writeFile(bin_ + "/record-env",
                     recordingScript(record,
                                     // Builtins only before the masks are read: a
                                     // waiting shell blocks signals of its own.
                                     "while read -r key value; do case $key in "
                                     "SigIgn:|SigBlk:) echo \"$key $value\";; esac; "
                                     "done < /proc/$$/status; "
                                     "readlink /proc/$$/fd/0; cut -d' ' -f6 /proc/$$/stat"),
                     true);
  struct sigaction ignore = {};
  ignore.sa_handler = SIG_IGN;
  struct sigaction previous;
  ::sigaction(SIGPIPE, &ignore, &previous);
  sigset_t blocked, before;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGUSR1);
  ::sigprocmask(SIG_BLOCK, &blocked, &before);

  const platform::Status started = platform::startDetachedProcess(bin_ + "/record-env", {}, "");

  ::sigprocmask(SIG_SETMASK, &before, nullptr);
  ::sigaction(SIGPIPE, &previous, nullptr);
  ASSERT_TRUE(started.ok()) << started.message();

  errno = 0;
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1) << "a child of ours is left";
  EXPECT_EQ(errno, ECHILD);

  const std::string lines = support::waitForFile(record).value_or("");
  EXPECT_NE(lines.find("SigIgn: 0000000000000000\n"), std::string::npos) << lines;
  EXPECT_NE(lines.find("SigBlk: 0000000000000000\n"), std::string::npos) << lines;
  EXPECT_NE(lines.find("/dev/null\n"), std::string::npos) << lines;
  const std::string session = lines.substr(lines.rfind('\n', lines.size() - 2) + 1);
  EXPECT_NE(std::stol(session), static_cast<long>(::getsid(0))) << lines;
}

TEST_F(DetachedProcess, ReportsWhyAProgramCouldNotStart) {
  EXPECT_EQ(platform::startDetachedProcess(root_ / "missing", {}, "").code(), ENOENT);
  EXPECT_EQ(platform::startDetachedProcess(root_ / "notes.txt", {}, "").code(), EACCES);
  EXPECT_EQ(platform::startDetachedProcess(bin_ + "/record-args", {}, root_ / "missing").code(),
            ENOENT);
  errno = 0;
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
}

TEST_F(DetachedProcess, FindsOnlyExecutableFilesOnThePath) {
  support::writeFile(root_ / "plain", "x");
  support::makeDirectory(root_ / "folder");
  environment_.set("PATH", root_.path() + "::" + bin_);
  EXPECT_EQ(platform::findOnPath("record-args"), bin_ + "/record-args");
  EXPECT_EQ(platform::findOnPath("plain"), std::nullopt);
  EXPECT_EQ(platform::findOnPath("folder"), std::nullopt);
  EXPECT_EQ(platform::findOnPath("bin/record-args"), std::nullopt);
  environment_.set("PATH", std::nullopt);
  EXPECT_EQ(platform::findOnPath("record-args"), std::nullopt);
}

}  // namespace
