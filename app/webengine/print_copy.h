// PrintCopy: the page's document laid out for print while the page itself
// cannot be: its script waits for the command that prints it, and its
// renderer with it. The page's script hands over a copy of its document
// (its form values and canvases kept, its scripts left out; channel.h),
// which is shown in a renderer of its own, with script off, and printed
// from there.
//
// GUI thread only; used outside the engine's own tasks, from the command
// that runs once the page has let go of its renderer.
#pragma once

#include <QTemporaryDir>

#include <memory>
#include <optional>
#include <string>

class QPrinter;
class QWebEngineProfile;
class QWebEngineView;

namespace app::webengine {

class PrintCopy {
 public:
  // `html`, the copy's UTF-8 text, resolves its addresses against the page's.
  explicit PrintCopy(std::string html);
  ~PrintCopy();
  PrintCopy(const PrintCopy&) = delete;
  PrintCopy& operator=(const PrintCopy&) = delete;

  // Prints the copy on `printer`; laid out at the first call. False when it
  // could not be shown or printed.
  bool print(QPrinter* printer);

 private:
  bool load();

  std::string html_;
  QTemporaryDir folder_;
  QWebEngineProfile* profile_ = nullptr;
  std::unique_ptr<QWebEngineView> view_;
  std::optional<bool> loaded_;  // whether the copy could be shown, once tried
};

}  // namespace app::webengine
