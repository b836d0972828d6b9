// What commands may ask of the shell's main window: its title, state and
// geometry, the arguments the shell was started with, a parent for their
// dialogs, the exit listener and printing. The app's window implements it;
// the bridge never sees the widget behind it.
//
// GUI thread only.
#pragma once

#include <QRect>
#include <QString>
#include <Qt>

#include <string>
#include <vector>

class QPrinter;
class QWidget;
class QtPdfObj;

namespace bridge {

class Page;

class ShellWindow {
 public:
  virtual void setTitle(const QString& title) = 0;

  // The state bits: minimised, maximised, full screen and active
  // (Qt::WindowState). Setting them is a request the window manager may
  // answer in part: read them back to know.
  virtual Qt::WindowStates state() const = 0;
  virtual void setState(Qt::WindowStates state) = 0;

  // Where the window's content is on the screen and its size.
  virtual QRect windowGeometry() const = 0;
  virtual void setWindowGeometry(const QRect& geometry) = 0;
  // The part of the window's screen that windows may take (panels left out).
  virtual QRect availableScreenArea() const = 0;

  // The command line's arguments after the shell's own options and a "--",
  // as given.
  virtual const std::vector<std::string>& pageArguments() const = 0;

  // The parent of a modal dialog that a command opens.
  virtual QWidget* dialogParent() = 0;

  // Registers `listener` as the callback identifier that receives the exit
  // notification in `page`; an empty identifier removes the listener.
  virtual void setExitListener(Page* page, const std::string& listener) = 0;

  // The window's print document renderer. A page reload replaces it: look it
  // up again rather than keep it across an event loop.
  virtual QtPdfObj& pdfRenderer() = 0;
  // Paints the page's current frame onto `printer` (a preview's or a real one).
  virtual void printPreview(QPrinter* printer) = 0;
  // Paints the document loaded in pdfRenderer() onto `printer`.
  virtual void generatePdfPreview(QPrinter* printer) = 0;

 protected:
  ~ShellWindow() = default;
};

}  // namespace bridge
