// The window commands as the dispatcher runs them, against a window that is
// only the shell's interface: no widget behind it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bridge/cmd_state.h"
#include "bridge/protocol/protocol.h"
#include "bridge/shell_window.h"
#include "print/render/qt_pdf_obj.h"

namespace bridge {
namespace {

// Keeps what it is asked; its window manager adds "active" to every state.
class RecordingWindow : public ShellWindow {
 public:
  void setTitle(const QString& newTitle) override { title = newTitle; }
  Qt::WindowStates state() const override { return states | Qt::WindowActive; }
  void setState(Qt::WindowStates newStates) override { states = newStates; }
  QRect windowGeometry() const override { return geometry; }
  void setWindowGeometry(const QRect& newGeometry) override { geometry = newGeometry; }
  QRect availableScreenArea() const override { return QRect(0, 30, 1920, 1050); }
  const std::vector<std::string>& pageArguments() const override { return arguments; }
  QWidget* dialogParent() override { return nullptr; }
  void setExitListener(Page* page, const std::string& newListener) override {
    listenerPage = page;
    listener = newListener;
  }
  QtPdfObj& pdfRenderer() override { return renderer; }
  void printPreview(QPrinter*) override {}
  void generatePdfPreview(QPrinter*) override {}

  QString title;
  Qt::WindowStates states;
  QRect geometry{10, 40, 800, 600};
  std::vector<std::string> arguments;
  Page* listenerPage = nullptr;
  std::string listener = "none";
  QtPdfObj renderer;
};

class QuietCmdState : public CmdState {
 public:
  void log(const std::string& message) override { lines.push_back(message); }
  std::vector<std::string> lines;
};

class WindowCommands : public ::testing::Test {
 protected:
  std::string run(ShellWindow* target, const std::string& command, const std::string& args = "") {
    const std::string text = std::string("[\"") + kProtocolVersion + "\", \"test\", \"" + command +
                             "\"" + (args.empty() ? "" : ", " + args) + "]";
    return state.runRequest(target, nullptr, text);
  }
  std::string run(const std::string& command, const std::string& args = "") {
    return run(&window, command, args);
  }

  RecordingWindow window;
  QuietCmdState state;
};

TEST_F(WindowCommands, TitleAndStateGoThroughTheWindowsInterface) {
  EXPECT_EQ(run("setTitle", "\"Faktury \\u0105\\u0119\""), writeList(okAnswer()));
  EXPECT_EQ(window.title, QString::fromUtf8("Faktury ąę"));

  EXPECT_EQ(run("setWindowState", "\"2\""), writeList(okAnswer("10")))
      << "the state is read back, with what the window manager added";
  EXPECT_EQ(window.states, Qt::WindowMaximized);
  EXPECT_EQ(run("setWindowState", "\"99\""), writeList(okAnswer("11")));
  EXPECT_EQ(window.states, Qt::WindowStates(3)) << "only the four bits are set";
  EXPECT_EQ(run("setWindowState", "\"max\""), writeList(okAnswer("15")));
  EXPECT_EQ(window.states, Qt::WindowStates(15)) << "text that is no number sets all four";
  EXPECT_EQ(run("getWindowState"), writeList(okAnswer("15")));
}

TEST_F(WindowCommands, GeometryIsReadAndKeptOnTheScreen) {
  window.states = Qt::WindowMaximized;
  EXPECT_EQ(run("getWindowGeometry"), writeList(okAnswer("10", "40", "800", "600", "10")));

  EXPECT_EQ(run("setWindowGeometry", R"("100", "200", "640", "480")"), writeList(okAnswer()));
  EXPECT_EQ(window.geometry, QRect(100, 200, 640, 480));
  run("setWindowGeometry", R"("-500", "5000", "640", "480")");
  EXPECT_EQ(window.geometry, QRect(0, 600, 640, 480)) << "moved back onto the screen";
  run("setWindowGeometry", R"("300", "0", "4000", "3000")");
  EXPECT_EQ(window.geometry, QRect(0, 30, 1920, 1050)) << "shrunk to the screen";

  EXPECT_EQ(run("setWindowGeometry", R"("1x", "0", "10", "10")"),
            writeList(errorAnswer("x is not a number: 1x")));
  EXPECT_EQ(run("setWindowGeometry", R"("0", "0", "10")"),
            writeList(errorAnswer("height is not a number: ")));
  EXPECT_EQ(run("setWindowGeometry", R"("0", "0", "0", "10")"),
            writeList(errorAnswer("width must be above 0")));
  EXPECT_EQ(window.geometry, QRect(0, 30, 1920, 1050)) << "a refused request changes nothing";
}

TEST_F(WindowCommands, ArgumentsAreAnsweredAsGiven) {
  EXPECT_EQ(run("getArguments"), writeList(okAnswer()));
  window.arguments = {"first arg", "--second", ""};
  EXPECT_EQ(run("getArguments"), writeList(okAnswer("first arg", "--second", "")));
}

TEST_F(WindowCommands, ExitListenerIsSetAndRemoved) {
  EXPECT_EQ(run("addExitListener", "\"onExit\""), writeList(okAnswer()));
  EXPECT_EQ(window.listener, "onExit");
  EXPECT_EQ(run("removeExitListener", "\"ignored\""), writeList(okAnswer()));
  EXPECT_EQ(window.listener, "");
}

TEST_F(WindowCommands, WithoutAWindowTheyAnswerNoWindow) {
  for (const char* command :
       {"setTitle", "setWindowState", "getWindowState", "getWindowGeometry", "getArguments",
        "addExitListener", "removeExitListener", "printPreview", "generatePdf"}) {
    EXPECT_EQ(run(nullptr, command), writeList(errorAnswer("No window"))) << command;
  }
  EXPECT_EQ(state.lines.back(), "Command failed [generatePdf]: No window");
}

}  // namespace
}  // namespace bridge
