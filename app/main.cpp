#include <QApplication>
#include <QPixmap>
#include <QPointer>
#include <QSplashScreen>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "app/main_window.h"
#include "bridge/exit_request.h"
#include "platform/file_writer.h"
#include "platform/threads.h"

namespace {

// A large answer passes through buffers of tens of megabytes (the values, the
// answer text, its 16-bit copy for the page) and hundreds of thousands of
// small values. Mapped afresh for each command, every page of a buffer is
// zeroed by the kernel again; kept in the heap, buffers up to 32 MB are
// reused. Up to 128 MB of freed heap stays with the process (glibc's own
// adjustment keeps up to 64 MB). Without fast bins a small block is merged
// with its free neighbours when it is freed, instead of all of them in one
// sweep at the next large request, which cost more than the frees.
void tuneAllocatorForLargeAnswers() {
#if defined(__GLIBC__)
  mallopt(M_MMAP_THRESHOLD, 32 << 20);  // the largest glibc takes
  mallopt(M_TRIM_THRESHOLD, 128 << 20);
  mallopt(M_MXFAST, 0);
#endif
}

}  // namespace

int main(int argc, char* argv[]) {
  tuneAllocatorForLargeAnswers();
  platform::ignoreFileSizeSignal();
  int exitCode = 0;
  {
    // Without TZ the C library looks at /etc/localtime again at every
    // mktime, and libzip makes one for each member of every archive it
    // opens. Set before any thread starts; a zone the user gives is kept.
    ::setenv("TZ", ":/etc/localtime", 0);
    QApplication application(argc, argv);
    // Page script reaches the window's inherited slots too, deleteLater among
    // them: the shell keeps only a guarded pointer and ends when it goes.
    QPointer<app::MainWindow> window = new app::MainWindow(QApplication::arguments());
    QObject::connect(window, &QObject::destroyed, [] { bridge::requestExit(0); });

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
      window->setWindowTitle(QStringLiteral("Trwa ladowanie aplikacji...."));
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
    exitCode = exitedEarly ? *exitedEarly : application.exec();
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
