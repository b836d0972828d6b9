// MainWindow: the shell's one window around the page.
//
// The window shows index.html from the working directory in this build's web
// engine (web_view.h), which publishes `myObject` into every local document
// and hands each request it gets to the window. Documents loaded from
// anywhere but the local file system get no `myObject`: remote content must
// never reach files, programs or databases.
//
// With "-debug" the window offers the DEBUG menu (DUMP, RELOAD, Print
// Preview, INSPECT, also on F12 and the page's context menu) and echoes its
// log to standard error, and "-dev-url URL" shows a page of a development
// server on this machine instead of index.html (development_url.h). Page
// script reaches none of these.
//
// The window outlives every command and event loop that runs on it: a
// deleteLater() that page script calls while a command waits in a dialog, or
// while the page shows a confirm() of its own, takes effect once that has
// returned and only the main loop runs.
//
// GUI thread only.
#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>
#include <string>
#include <vector>

#include "app/echoing_cmd_state.h"
#include "app/local_document.h"
#include "app/page_hooks.h"
#include "bridge/shell_window.h"

class QPrinter;
class QtPdfObj;

namespace app {

struct MainWindowForm;
class WebView;

class MainWindow : public QMainWindow, public bridge::ShellWindow, public PageHooks {
  Q_OBJECT

 public:
  // `arguments` is the command line, program name first; "-debug" shows the
  // debug menu, "-dev-url URL" names a development page. Whatever follows a
  // "--" is the page's own (getArguments), not read as an option. The page
  // starts loading index.html from the working directory, or the accepted
  // development page.
  explicit MainWindow(const QStringList& arguments, QWidget* parent = nullptr);
  ~MainWindow() override;

  void setTitle(const QString& title) override { setWindowTitle(title); }
  Qt::WindowStates state() const override { return windowState(); }
  void setState(Qt::WindowStates state) override { setWindowState(state); }
  QRect windowGeometry() const override { return geometry(); }
  void setWindowGeometry(const QRect& rectangle) override { setGeometry(rectangle); }
  QRect availableScreenArea() const override;
  const std::vector<std::string>& pageArguments() const override { return pageArguments_; }
  QWidget* dialogParent() override { return this; }
  // The listener holds while the main frame shows local documents, which can
  // run script: a reload or a move to another local page keeps it. A
  // document from anywhere else, or the loss of the page's renderer, takes
  // it away, and closing the window closes it again.
  void setExitListener(bridge::Page* page, const std::string& listener) override;
  QtPdfObj& pdfRenderer() override { return *pdfRenderer_; }
  void printPreview(QPrinter* printer) override;
  void generatePdfPreview(QPrinter* printer) override;

  std::string runCommand(std::string_view request) override;
  void requestDeletion() override;
  void documentCreated(const QUrl& url, bool local) override;
  void addressChanged(const QUrl& url) override;
  // Logs the loss and shows the start page again, once the command that may
  // be running has ended; a page lost again before its new document ran is
  // left, so that a page that ends its renderer does not loop.
  void pageLost(const std::string& reason) override;
  void log(const std::string& line) override { cmdState_.log(line); }

  WebView& webView() const { return *view_; }
  const bridge::CmdState& cmdState() const { return cmdState_; }

  // The debug menu's actions.
  void handle_dump_data();
  void handle_reload();
  void handle_print_preview();

 protected:
  // Holds back the window's deferred deletion while anything of its own runs.
  bool event(QEvent* event) override;
  // With an exit listener registered the window stays open and the page is
  // told instead; the page then ends the shell with the `exit` command.
  void closeEvent(QCloseEvent* event) override;

 private:
  class Busy;

  QUrl startPage() const;
  void loadStartPage();
  void addDeveloperTools();
  // Carries out a requested deletion once nothing holds it back.
  void deleteWhenIdle();
  void reloadWhenIdle();
  void dropExitListener();

  std::unique_ptr<MainWindowForm> ui_;
  EchoingCmdState cmdState_;
  std::unique_ptr<QtPdfObj> pdfRenderer_;
  std::vector<std::string> pageArguments_;
  std::string exitListener_;
  bridge::Page* exitListenerPage_ = nullptr;
  bool debug_ = false;
  QUrl startUrl_;  // the development page, when one was accepted
  LocalDocuments localDocuments_;
  int busy_ = 0;  // commands and debug actions running, nested ones each
  bool deletionRequested_ = false;
  bool reloadRequested_ = false;
  bool reloadedSinceLoss_ = false;  // no document has run since the last loss
  // Last, so that it goes first: the page may still call the hooks as it
  // goes, and finds every other member whole.
  std::unique_ptr<WebView> view_;
};

}  // namespace app
