// What commands may ask of the shell's main window beyond being a QWidget.
#pragma once

#include <string>

class QPrinter;
class QtPdfObj;

namespace bridge {

class Page;

class ShellWindow {
 public:
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
