#include "tests/support/qt_application.h"

#include <cstdlib>

#include "app/web_view.h"

namespace support {

QtApplication::QtApplication(int& argc, char** argv) : runtime_("xdg") {
  setenv("XDG_RUNTIME_DIR", runtime_.path().c_str(), 1);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  app::prepareEngine();
  application_.emplace(argc, argv);
}

}  // namespace support
