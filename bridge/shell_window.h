// What commands may ask of the shell's main window: its title and state, a
// parent for their dialogs, the exit listener and printing. The app's window
// implements it; the bridge never sees the widget behind it.
//
// GUI thread only.
#pragma once

#include <QString>
#include <Qt>

#include <string>

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
