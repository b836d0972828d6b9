#include "tests/qt/shell_fixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QWebFrame>
#include <QWebPage>

#include <cstdlib>

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
  QDir debug(dir_.filePath(QStringLiteral("debug")));
  for (const QString& name : debug.entryList({QStringLiteral("log-*.txt")}, QDir::Files, QDir::Name)) {
    QFile file(debug.filePath(name));
    file.open(QIODevice::ReadOnly);
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
      if (line.size() >= 17 && line.at(8) == QLatin1Char('-')) messages << line.mid(17);
    }
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
