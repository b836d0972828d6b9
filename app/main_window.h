// MainWindow: the shell's one window, and the object page script talks to.
//
// The window is published into every local document of its page as
// `myObject`. Writing its `command` property runs one request (a JSON array)
// through the command executor and stores the answer in `result`, which
// script reads right after. Documents loaded from anywhere but the local file
// system get no `myObject`: remote content must never reach files, programs
// or databases.
//
// With "-debug" the window also offers the Web Inspector (DEBUG > INSPECT,
// F12 and the page's context menu) and echoes its log to standard error.
//
// The window outlives every command that runs on it: a deleteLater() that
// page script calls while a command waits in a dialog takes effect once the
// command has returned.
//
// GUI thread only.
#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <memory>
#include <string>

#include "app/echoing_cmd_state.h"
#include "bridge/shell_window.h"

class QPrinter;
class QtPdfObj;
class QWebInspector;
class QWebPage;
class QWebView;

namespace app {

struct MainWindowForm;

class MainWindow : public QMainWindow, public bridge::ShellWindow {
  Q_OBJECT
  Q_PROPERTY(QString command READ command WRITE setCommand)
  Q_PROPERTY(QString result READ result WRITE setResult)

 public:
  // `arguments` is the command line, program name first; "-debug" shows the
  // debug menu. The page starts loading index.html from the working directory.
  explicit MainWindow(const QStringList& arguments, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Reading `command` always gives "": the request is run, not stored.
  QString command() const { return QString(); }
  // Runs the request; a text that is not a non-empty JSON array is ignored
  // and leaves `result` as it was.
  void setCommand(const QString& text);

  QString result() const { return result_; }
  void setResult(const QString& text) { result_ = text; }

  // The listener belongs to the document that registered it: when the page
  // replaces that document, closing the window closes it again.
  void setExitListener(QWebPage* page, const std::string& listener) override;
  QtPdfObj& pdfRenderer() override { return *pdfRenderer_; }

  QWebView* webView() const;
  const bridge::CmdState& cmdState() const { return cmdState_; }

 public slots:
  void add_objects_to_javascript();
  void handle_dump_data();
  void handle_reload();
  void handle_print_preview();
  void printPreview(QPrinter* printer) override;
  void generatePdfPreview(QPrinter* printer) override;

 protected:
  // Holds back the window's deferred deletion while a command runs.
  bool event(QEvent* event) override;
  // With an exit listener registered the window stays open and the page is
  // told instead; the page then ends the shell with the `exit` command.
  void closeEvent(QCloseEvent* event) override;

 private:
  class Busy;

  void runCommand(const QString& text);
  void loadStartPage();
  void enableWebSettings();
  void enableLocalStorage();
  void addInspector();

  QString result_;
  std::unique_ptr<MainWindowForm> ui_;
  EchoingCmdState cmdState_;
  std::unique_ptr<QtPdfObj> pdfRenderer_;
  std::string exitListener_;
  QWebPage* exitListenerPage_ = nullptr;
  bool debug_ = false;
  QWebInspector* inspector_ = nullptr;  // with -debug only; a child window
  int busy_ = 0;                        // commands and debug actions running, nested ones each
  bool deleteWhenIdle_ = false;
};

}  // namespace app
