// generatePdf: a print document written as a PDF file.
//
// The file is rendered into a writer's file in the target folder that has no
// name yet, and named once complete with a name where nothing stands, not
// even a dangling link: a reader never sees half a file, and a second file
// made in the same second never replaces the first.
#include <QFile>
#include <QPageSize>
#include <QPrinter>

#include <cerrno>

#include "bridge/print/print.h"
#include "bridge/shell_window.h"
#include "bridge/utf8_text.h"
#include "platform/file_writer.h"
#include "print/render/qt_pdf_obj.h"

namespace bridge::print {
namespace {

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

// Writes the document, every font at half its point size, to
// <directory>/recepta-<yyMMddhhmmss>.pdf, or with -2, -3, ... before ".pdf"
// when that name is taken. The file appears whole or not at all.
Answer generatePdf(GeneratePdfCall& call) {
  QtPdfObj& renderer = call.window().pdfRenderer();
  renderer.clear();
  const QSizeF paperMm = loadDocument(renderer, call.document(), /*halfFontSize=*/true);

  const QString directory = fromUtf8(call.directory());
  const QString path = pdfPath(directory, QDateTime::currentDateTime());
  platform::Result<platform::FileWriter> part = platform::FileWriter::openNew(toUtf8(directory));
  if (!part) return cannotWrite(path, fromUtf8(part.status().reason()));
  const QString partPath = fromUtf8(part->contentPath());

  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(partPath);
  printer.setPageSize(QPageSize(paperMm, QPageSize::Millimeter, QString(), QPageSize::ExactMatch));
  printer.setFullPage(true);
  if (!renderer.paint(&printer) || !isCompletePdf(partPath)) {
    return cannotWrite(path, QStringLiteral("the PDF file could not be completed"));
  }

  for (int attempt = 1;; ++attempt) {
    const std::string target = toUtf8(candidate(path, attempt));
    const platform::Status named = part->commitNew(target);
    if (named.ok()) return okAnswer(target);
    if (named.code() != EEXIST) return cannotWrite(fromUtf8(target), fromUtf8(named.reason()));
  }
}

}  // namespace bridge::print
