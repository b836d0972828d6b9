// The two preview commands and the preview routine they share.
#include <QPageSize>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include <functional>

#include "bridge/commands.h"
#include "bridge/print/print.h"
#include "bridge/shell_window.h"
#include "print/render/qt_pdf_obj.h"

namespace bridge::print {
namespace {

constexpr Argument kDocument = describedArgument("generatePdfPreview", "document");

// Runs a modal preview of what `paint` draws; the dialog asks for pages as
// often as it needs them, and printing from it goes through `paint` too.
void showPreview(QPrinter& printer, QWidget* parent, Qt::WindowFlags flags,
                 const std::function<void(QPrinter*)>& paint) {
  QPrintPreviewDialog dialog(&printer, parent, flags);
  dialog.setWindowTitle(QStringLiteral("Podgląd wydruku"));
  QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, paint);
  dialog.exec();
}

}  // namespace

void previewPage(ShellWindow& shell, QWidget* window) {
  QPrinter printer(QPrinter::ScreenResolution);
  showPreview(printer, window, Qt::Window,
              [&shell](QPrinter* target) { shell.printPreview(target); });
}

Answer printPreview(CommandContext& context) {
  previewPage(context.shell(), context.window);
  return okAnswer();
}

Answer generatePdfPreview(CommandContext& context) {
  ShellWindow& window = context.shell();
  window.pdfRenderer().clear();
  const std::string& json = context.arg(kDocument);
  const QSizeF paperMm = loadDocument(window.pdfRenderer(), json, /*halfFontSize=*/false);

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
