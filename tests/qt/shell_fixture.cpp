#include "tests/qt/shell_fixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QWebFrame>
#include <QWebPage>

#include <cstdlib>

#include "tests/support/scratch.h"

namespace qtest {

ScratchDirectory::ScratchDirectory(const QString& indexHtml) : previous_(QDir::currentPath()) {
  QFile page(dir_.filePath(QStringLiteral("index.html")));
  page.open(QIODevice::WriteOnly);
  page.write(indexHtml.toUtf8());
  page.close();
  QDir::setCurrent(dir_.path());
}

ScratchDirectory::~ScratchDirectory() { QDir::setCurrent(previous_); }

QStringList ScratchDirectory::logMessages() const {
  QStringList messages;
  for (const std::string& line : support::logLines(dir_.path().toStdString())) {
    const std::string message = support::withoutTimeStamp(line);
    if (message != line) messages << QString::fromStdString(message);
  }
  return messages;
}

bool waitForLoad(QWebPage* page, int timeoutMs) {
  QSignalSpy finished(page, &QWebPage::loadFinished);
  return finished.wait(timeoutMs);
}

QVariant evaluate(QWebPage* page, const QString& script) {
  return page->mainFrame()->evaluateJavaScript(script);
}

bool waitForScript(QWebPage* page, const QString& condition, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (!evaluate(page, condition).toBool()) {
    if (timer.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

void prepareEnvironment() {
  static QTemporaryDir runtime;
  QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  setenv("XDG_RUNTIME_DIR", runtime.path().toUtf8().constData(), 1);
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

}  // namespace qtest
