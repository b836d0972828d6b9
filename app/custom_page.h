// The page installed in the shell's web view: script console messages and
// alerts become log lines instead of output or dialogs, and script goes on.
#pragma once

#include <QWebPage>

#include "app/echoing_cmd_state.h"

namespace app {

class CustomPage : public QWebPage {
  Q_OBJECT

 public:
  explicit CustomPage(QObject* parent = nullptr);

  // With -debug the page's log lines also go to standard error.
  void echoLogToStandardError(bool on) { logTarget_.echoToStandardError(on); }

 protected slots:
  // Logs "Message from <source>#<line>: <time>: <message>".
  void javaScriptConsoleMessage(const QString& message, int lineNumber,
                                const QString& sourceID) override;
  // Logs "Alert: <time>: <msg>"; no dialog is shown.
  void javaScriptAlert(QWebFrame* frame, const QString& msg) override;

 private:
  EchoingCmdState logTarget_;
};

}  // namespace app
