// generatePdf of a 100-page document of 100 items a page, through the real
// shell (the page's request, reading the document, building the items and
// writing the file), next to the same items painted straight onto a
// QPrinter PDF with QPainter in the same run. Fastest of nine rounds each.
#include <QElapsedTimer>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTextOption>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "bench/print/bench_document.h"
#include "print/render/qt_pdf_obj.h"
#include "bench/page_bench.h"
#include "tests/support/page_runner.h"
#include "tests/support/qt_application.h"

namespace {

using bench::logged;

const int kPages = 100;
const int kItems = 100;

// The items as loadDocument makes them, painted with nothing in between:
// device coordinates computed here, one painter, one pass.
double straightMs(const QtPdfObj& items, const QString& path) {
  QElapsedTimer timer;
  timer.start();
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(path);
  printer.setPageSize(QPageSize(QSizeF(210, 297), QPageSize::Millimeter));
  printer.setFullPage(true);
  const double scale = printer.resolution() / 72;
  const QTransform toDevice = QTransform::fromScale(scale, scale);
  QPainter painter(&printer);
  painter.setRenderHint(QPainter::Antialiasing, true);
  for (int p = 0; p < items.pages().size(); ++p) {
    if (p > 0) printer.newPage();
    const RenderPage& page = items.pages()[p];
    for (const LineItem& item : page.lines) {
      QPen pen = item.pen;
      pen.setWidthF(pen.widthF() * scale);
      painter.setPen(pen);
      painter.drawLine(toDevice.map(item.line));
    }
    for (const TextItem& item : page.texts) {
      painter.setPen(item.color);
      painter.setFont(item.font);
      painter.drawText(toDevice.map(item.pos), item.text);
    }
    for (const RectItem& item : page.rects) {
      const QRectF rect = toDevice.mapRect(item.rect);
      painter.fillRect(rect, item.pen.color());
      painter.setPen(item.pen);
      painter.drawRect(rect);
    }
    for (const RectTextItem& item : page.rectTexts) {
      painter.setPen(item.color);
      painter.setFont(item.font);
      painter.drawText(toDevice.mapRect(item.rect), item.text, QTextOption());
    }
  }
  painter.end();
  return timer.nsecsElapsed() / 1e6;
}

// The renderer's own part of generatePdf, for the breakdown: the items
// painted onto a printer set up as the command sets it up.
double paintMs(const QtPdfObj& items, const QString& path) {
  QElapsedTimer timer;
  timer.start();
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(path);
  printer.setPageSize(
      QPageSize(QSizeF(210, 297), QPageSize::Millimeter, QString(), QPageSize::ExactMatch));
  printer.setFullPage(true);
  items.paint(&printer);
  return timer.nsecsElapsed() / 1e6;
}

double loadMs(std::string_view json) {
  QElapsedTimer timer;
  timer.start();
  QtPdfObj items;
  loadDocument(items, json, /*halfFontSize=*/true);
  return timer.nsecsElapsed() / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  support::QtApplication application(argc, argv);

  const AnsiString json = bench::benchDocument(kPages, kItems).toJSON();
  e2e::RunOptions options;
  options.files["bench_doc.js"] = "var BENCH_DOC = " + json.str() + ";\n";
  options.timeout = std::chrono::seconds(300);
  QtPdfObj items;
  loadDocument(items, json.str(), /*halfFontSize=*/true);
  QTemporaryDir out;

  // The two sides take turns, so that a machine busy with other work slows
  // both alike; each keeps its fastest round.
  double bridge = 1e300;
  double straight = 1e300;
  double load = 1e300;
  double transport = 1e300;
  double paint = 1e300;
  for (int turn = 0; turn < 3; ++turn) {
    const e2e::PageRun run = e2e::runPage("generate_pdf.html", options);
    const double page = logged(run, "generatePdf");
    if (page < 0 || run.exitCode != 0) {
      std::printf("print bench: the page did not report (exit %d)\n%s", run.exitCode,
                  run.output.c_str());
      for (const std::string& line : run.logLines) std::printf("%s\n", line.c_str());
      return 1;
    }
    bridge = std::min(bridge, page);
    transport = std::min(transport, logged(run, "transport"));
    for (int round = 0; round < 3; ++round) {
      straight =
          std::min(straight, straightMs(items, out.filePath(QStringLiteral("straight.pdf"))));
      load = std::min(load, loadMs(json.str()));
      paint = std::min(paint, paintMs(items, out.filePath(QStringLiteral("items.pdf"))));
    }
  }

  std::printf("generatePdf  %d pages x %d items (%d bytes of JSON)\n", kPages, kItems,
              json.Length());
  std::printf("  straight QPainter onto a QPrinter PDF   %8.1f ms\n", straight);
  std::printf("  generatePdf through the bridge          %8.1f ms   ratio %.2f\n", bridge,
              bridge / straight);
  std::printf(
      "    of which: the request's way in and out %.1f ms; measured here, reading the "
      "document into items %.1f ms, painting them %.1f ms\n",
      transport, load, paint);
  return 0;
}
