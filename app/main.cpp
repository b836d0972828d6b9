#include <QApplication>
#include <QPixmap>
#include <QPointer>
#include <QSplashScreen>
#include <QStringList>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "app/main_loop.h"
#include "app/main_window.h"
#include "app/web_view.h"
#include "bridge/exit_request.h"
#include "platform/file_writer.h"
#include "platform/memory.h"
#include "platform/threads.h"

int main(int argc, char* argv[]) {
  platform::tuneAllocatorForLargeBuffers();
  platform::ignoreFileSizeSignal();
  int exitCode = 0;
  {
    // Without TZ the C library looks at /etc/localtime again at every
    // mktime, and libzip makes one for each member of every archive it
    // opens. Set before any thread starts; a zone the user gives is kept.
    ::setenv("TZ", ":/etc/localtime", 0);
    const std::string engineNote = app::prepareEngine();
    // Read before Qt takes its own options out of argv, so that the page's
    // arguments after "--" reach it as given, even ones Qt would take.
    QStringList commandLine;
    for (int i = 0; i < argc; ++i) commandLine.push_back(QString::fromLocal8Bit(argv[i]));
    QApplication application(argc, argv);
    // Page script reaches the window's inherited slots too, deleteLater among
    // them: the shell keeps only a guarded pointer and ends when it goes.
    QPointer<app::MainWindow> window = new app::MainWindow(commandLine);
    QObject::connect(window, &QObject::destroyed, [] { bridge::requestExit(0); });
    if (!engineNote.empty()) window->log(engineNote);

    const QPixmap splashPicture(QStringLiteral("Splash.png"));
    QSplashScreen splash(splashPicture);
    splash.setEnabled(false);
    splash.show();
    splash.showMessage(QObject::tr("Trwa ladowanie aplikacji...."), Qt::AlignLeft | Qt::AlignTop,
                       Qt::black);
    application.processEvents();

    if (window) {
      window->setBaseSize(1100, 740);
      window->setMinimumSize(1024, 600);
      window->show();
      // finish() waits for the window to be exposed in 10 ms sleeps; the
      // expose event is usually queued by now, and taking it first saves
      // the sleep on the way to the page.
      application.processEvents();
      splash.finish(window);
      splash.raise();
    }

    // A page that exited while it loaded (maybe from a dialog's own loop) has
    // already ended the shell's life: the main loop does not start.
    const auto exitedEarly = bridge::requestedExit();
    exitCode = exitedEarly ? *exitedEarly : app::runMainLoop(application);
    delete window.data();
  }
  // Background commands still running get a short grace period; past it the
  // process ends without running static destructors under their feet.
  if (!platform::waitForWorkers(std::chrono::seconds(3))) {
    platform::removeUnfinishedFiles();
    std::fflush(nullptr);
    std::_Exit(exitCode);
  }
  return exitCode;
}
