// Helpers for Qt-side tests of the shell: a scratch working directory with a
// page in it, and waiting for pages and script.
#pragma once

#include <QString>
#include <QTemporaryDir>
#include <QVariant>

class QWebPage;

namespace qtest {

// Makes a fresh directory the working directory for its lifetime and writes
// `indexHtml` into it as index.html.
class ScratchDirectory {
 public:
  explicit ScratchDirectory(const QString& indexHtml);
  ~ScratchDirectory();

  QString path() const { return dir_.path(); }
  // Every line of every log file written in debug/, time stamps removed.
  QStringList logMessages() const;

 private:
  QTemporaryDir dir_;
  QString previous_;
};

// Waits until the page's main frame has finished loading. Returns false on timeout.
bool waitForLoad(QWebPage* page, int timeoutMs = 20000);

// Evaluates `script` in the page's main frame.
QVariant evaluate(QWebPage* page, const QString& script);

// Processes events until evaluate(page, condition) is true. Returns false on timeout.
bool waitForScript(QWebPage* page, const QString& condition, int timeoutMs = 20000);

// Gives the runtime directory Qt wants before QApplication exists.
void prepareEnvironment();

}  // namespace qtest
