// generatePdf: a print document written as a PDF file.
//
// The file is rendered under a temporary name in the target folder and then
// renamed to its final name, which must not exist yet: a reader never sees
// half a file, and a second file made in the same second never replaces the
// first.
#include <QByteArray>
#include <QFile>
#include <QPageSize>
#include <QPrinter>
#include <QTemporaryFile>

#include "bridge/commands.h"
#include "bridge/print/print.h"
#include "bridge/shell_window.h"
#include "bridge/utf8_text.h"
#include "print/render/qt_pdf_obj.h"

namespace bridge::print {
namespace {

constexpr Argument kDocument = describedArgument("generatePdf", "document");
constexpr Argument kDirectory = describedArgument("generatePdf", "directory");

Answer cannotWrite(const QString& path, const QString& reason) {
  return errorAnswer("Cannot write [" + toUtf8(path) + "]: " + toUtf8(reason));
}

// A PDF file ends with its end-of-file marker; anything else was cut short.
bool isCompletePdf(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly) || file.size() < 8) return false;
  file.seek(file.size() - 8);
  return file.read(8).contains("%%EOF");
}

// "name.pdf", then "name-2.pdf", "name-3.pdf", ...
QString candidate(const QString& path, int attempt) {
  if (attempt == 1) return path;
  QString numbered = path;
  return numbered.insert(path.size() - 4, QLatin1Char('-') + QString::number(attempt));
}

}  // namespace

QString pdfPath(const QString& directory, const QDateTime& when) {
  return directory + QLatin1Char('/') + QStringLiteral("recepta-") +
         when.date().toString(QStringLiteral("yyMMdd")) +
         when.time().toString(QStringLiteral("hhmmss")) + QStringLiteral(".pdf");
}

Answer generatePdf(CommandContext& context) {
  QtPdfObj& renderer = context.shell().pdfRenderer();
  renderer.clear();
  const std::string json = context.arg(kDocument);
  const QSizeF paperMm =
      loadDocument(renderer, QByteArray::fromStdString(json), /*halfFontSize=*/true);

  const QString directory = fromUtf8(context.arg(kDirectory));
  const QString path = pdfPath(directory, QDateTime::currentDateTime());
  QTemporaryFile part(directory + QStringLiteral("/.recepta-XXXXXX.part"));
  if (!part.open()) return cannotWrite(path, part.errorString());
  part.close();

  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(part.fileName());
  printer.setPageSize(QPageSize(paperMm, QPageSize::Millimeter, QString(), QPageSize::ExactMatch));
  printer.setFullPage(true);
  if (!renderer.paint(&printer) || !isCompletePdf(part.fileName())) {
    return cannotWrite(path, QStringLiteral("the PDF file could not be completed"));
  }

  QFile rendered(part.fileName());
  for (int attempt = 1;; ++attempt) {
    const QString target = candidate(path, attempt);
    if (rendered.rename(target)) {
      part.setAutoRemove(false);
      return okAnswer(toUtf8(target));
    }
    if (!QFile::exists(target)) return cannotWrite(target, rendered.errorString());
  }
}

}  // namespace bridge::print
