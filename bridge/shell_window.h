// What commands may ask of the shell's main window beyond being a QWidget.
#pragma once

#include <string>

class QWebPage;

namespace bridge {

class ShellWindow {
 public:
  // Registers `listener` as the callback identifier that receives the exit
  // notification in `page`; an empty identifier removes the listener.
  virtual void setExitListener(QWebPage* page, const std::string& listener) = 0;

 protected:
  ~ShellWindow() = default;
};

}  // namespace bridge
