// The widgets of the main window, built by hand under their fixed object names
// so that tests and the debug menu can find them.
#pragma once

class QAction;
class QGraphicsView;
class QMainWindow;
class QMenu;
class QMenuBar;
class QVBoxLayout;
class QWidget;

namespace app {

struct MainWindowForm {
  QAction* actionDUMP = nullptr;
  QAction* actionRELOAD = nullptr;
  QAction* actionPrint_Preview = nullptr;
  QWidget* centralWidget = nullptr;
  QVBoxLayout* verticalLayout = nullptr;
  QWidget* webView = nullptr;  // the engine's view (web_view.h)
  QGraphicsView* graphicsView = nullptr;
  QMenuBar* menuBar = nullptr;
  QMenu* menuDEBUG = nullptr;

  // Builds the widgets onto `window`, around the engine's `view`; the window
  // owns them from then on.
  void setupUi(QMainWindow* window, QWidget* view);
};

}  // namespace app
