#include <QApplication>
#include <QPixmap>
#include <QSplashScreen>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/main_window.h"
#include "platform/threads.h"

int main(int argc, char* argv[]) {
  int exitCode = 0;
  {
    QApplication application(argc, argv);
    auto window = std::make_unique<app::MainWindow>(QApplication::arguments());

    const QPixmap splashPicture(QStringLiteral("Splash.png"));
    QSplashScreen splash(splashPicture);
    splash.setEnabled(false);
    splash.show();
    splash.showMessage(QObject::tr("Trwa ladowanie aplikacji...."),
                       Qt::AlignLeft | Qt::AlignTop, Qt::black);
    application.processEvents();

    window->setBaseSize(1100, 740);
    window->setMinimumSize(1024, 600);
    window->setWindowTitle(QStringLiteral("Trwa ladowanie aplikacji...."));
    window->show();
    splash.finish(window.get());
    splash.raise();

    exitCode = application.exec();
    window.reset();
  }
  // Background commands still running get a short grace period; past it the
  // process ends without running static destructors under their feet.
  if (!platform::waitForWorkers(std::chrono::seconds(3))) {
    std::fflush(nullptr);
    std::_Exit(exitCode);
  }
  return exitCode;
}
