// The two preview commands and the preview routine they share.
#include <QGuiApplication>
#include <QPageSize>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>

#include <functional>

#include "bridge/print/print.h"
#include "bridge/shell_window.h"
#include "print/render/qt_pdf_obj.h"

namespace bridge::print {
namespace {

// Runs a modal preview of what `paint` draws; the dialog asks for pages as
// often as it needs them, and printing from it goes through `paint` too.
void showPreview(QPrinter& printer, QWidget* parent, Qt::WindowFlags flags,
                 const std::function<void(QPrinter*)>& paint) {
  QPrintPreviewDialog dialog(&printer, parent, flags);
  dialog.setWindowTitle(QStringLiteral("Podgląd wydruku"));
  // Left to itself the dialog opens at the size of its tool bar, where no
  // page can be read.
  const QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
  if (screen != nullptr) dialog.resize(screen->availableGeometry().size() * 4 / 5);
  QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, paint);
  dialog.exec();
}

}  // namespace

void previewPage(ShellWindow& window) {
  QPrinter printer(QPrinter::ScreenResolution);
  showPreview(printer, window.dialogParent(), Qt::Window,
              [&window](QPrinter* target) { window.printPreview(target); });
}

// Previews the page's current frame.
Answer printPreview(PrintPreviewCall& call) {
  previewPage(call.window());
  return okAnswer();
}

// Previews the document with fonts at their point size.
Answer generatePdfPreview(GeneratePdfPreviewCall& call) {
  ShellWindow& window = call.window();
  window.pdfRenderer().clear();
  const QSizeF paperMm =
      loadDocument(window.pdfRenderer(), call.document(), /*halfFontSize=*/false);

  QPrinter printer(QPrinter::HighResolution);
  printer.setPageSize(QPageSize(paperMm, QPageSize::Millimeter, QString(), QPageSize::ExactMatch));
  printer.setFullPage(true);
  // The window paints whatever document it holds when the dialog asks, so a
  // reload while the dialog is open cannot leave it painting a stale one.
  showPreview(printer, nullptr, Qt::WindowFlags(),
              [&window](QPrinter* target) { window.generatePdfPreview(target); });
  return okAnswer();
}

}  // namespace bridge::print
