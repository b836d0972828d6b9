// Painting at a device's resolution: where items land, in which order, in
// which colour, and at which size.
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>

#include <gtest/gtest.h>

#include <vector>

#include "print/render/qt_pdf_obj.h"
#include "tests/support/scratch.h"

namespace {

constexpr double f = QtPdfObj::mmScale;

QImage imageAt(int dpi, int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  const int dotsPerMeter = qRound(dpi / 0.0254);
  image.setDotsPerMeterX(dotsPerMeter);
  image.setDotsPerMeterY(dotsPerMeter);
  image.fill(Qt::white);
  return image;
}

// The bounding box of every pixel that is not white.
QRect inkOf(const QImage& image) {
  QRect ink;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixel(x, y) != qRgb(255, 255, 255)) ink |= QRect(x, y, 1, 1);
    }
  }
  return ink;
}

QtPdfObj onePage() {
  QtPdfObj renderer;
  renderer.startPage();
  return renderer;
}

QFont fontOf(double points) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPointSizeF(points);
  return font;
}

TEST(PaintGeometry, ScalesTheWorldByWholeDotsPerPoint) {
  // 96 dpi gives a scale of 1, 150 dpi a scale of 2 (150 div 72).
  for (const auto& [dpi, scale] : {std::pair<int, int>{96, 1}, {150, 2}, {300, 4}}) {
    QtPdfObj renderer = onePage();
    renderer.addRect(QRectF(10 * f, 20 * f, 5 * f, 4 * f), QPen(Qt::red));
    QImage image = imageAt(dpi, 400, 400);
    ASSERT_TRUE(renderer.paint(&image));
    const QRect ink = inkOf(image);
    EXPECT_NEAR(10 * f * scale, ink.left(), scale + 1) << dpi;
    EXPECT_NEAR(20 * f * scale, ink.top(), scale + 1) << dpi;
    EXPECT_NEAR(5 * f * scale, ink.width(), 2 * scale + 1) << dpi;
    EXPECT_EQ(qRgb(255, 0, 0), image.pixel(ink.center()));
  }
}

TEST(PaintGeometry, ADeviceBelow72DpiStillShowsThePage) {
  QtPdfObj renderer = onePage();
  renderer.addRect(QRectF(10, 10, 20, 20), QPen(Qt::blue));
  QImage image = imageAt(50, 100, 100);
  ASSERT_TRUE(renderer.paint(&image));
  EXPECT_NEAR(20, inkOf(image).width(), 2);
}

// A font of n points is n points at the device, however the world is scaled.
TEST(PaintText, FontsLandAtTheirPointSize) {
  for (int dpi : {96, 150, 300}) {
    QtPdfObj renderer = onePage();
    renderer.addText(QPointF(5, 50), QStringLiteral("H"), fontOf(24), Qt::black);
    QImage image = imageAt(dpi, 600, 600);
    ASSERT_TRUE(renderer.paint(&image));
    const double expected = QFontMetricsF(fontOf(24), &image).tightBoundingRect("H").height();
    EXPECT_NEAR(expected, inkOf(image).height(), 2) << dpi;
    EXPECT_GT(expected, 24.0 * dpi / 72 * 0.6) << "a capital is most of the em at " << dpi;
  }
}

TEST(PaintText, TakesItsOwnColourWhateverWasDrawnBefore) {
  QtPdfObj renderer = onePage();
  renderer.addLine(QLineF(0, 0, 1, 0), QPen(Qt::green));
  renderer.addText(QPointF(10, 60), QStringLiteral("HHHH"), fontOf(30), QColor(Qt::red));
  QImage image = imageAt(96, 200, 100);
  ASSERT_TRUE(renderer.paint(&image));
  const QRect ink = inkOf(image.copy(0, 10, 200, 90));
  int red = 0, other = 0;
  for (int y = ink.top(); y <= ink.bottom(); ++y) {
    for (int x = ink.left(); x <= ink.right(); ++x) {
      const QColor c = image.pixelColor(x, y + 10);
      if (c == Qt::white) continue;
      (c.red() > 200 && c.green() < 80 ? red : other)++;
    }
  }
  EXPECT_GT(red, 50);
  EXPECT_LT(other, red / 2) << "anti-aliased edges only";
}

// More colours than the painter keeps pens for, one row of solid blocks
// each, and a colour that names none, which paints black.
TEST(PaintText, EveryTextOfManyColoursTakesItsOwn) {
  const int rows = 20;
  QtPdfObj renderer = onePage();
  std::vector<QColor> colours;
  for (int i = 0; i < rows; ++i) {
    colours.push_back(i == 7 ? QColor() : QColor::fromHsv(i * 17, 255, 200));
    const QString blocks = QString(3, QChar(0x2588));
    if (i % 2) {
      renderer.addText(QPointF(5, 25 * i + 20), blocks, fontOf(14), colours.back());
    } else {
      renderer.addRectText(QRectF(5, 25 * i, 90, 25), blocks, fontOf(14), colours.back());
    }
  }
  QImage image = imageAt(96, 100, 25 * rows);
  ASSERT_TRUE(renderer.paint(&image));
  for (int i = 0; i < rows; ++i) {
    const QColor expected = colours[i].isValid() ? colours[i] : QColor(Qt::black);
    int matching = 0;
    for (int y = 25 * i; y < 25 * i + 25; ++y) {
      for (int x = 0; x < image.width(); ++x) matching += image.pixel(x, y) == expected.rgb();
    }
    EXPECT_GT(matching, 100) << i;
  }
}

// Runs of texts in one font, and fonts changing between them, each text in
// its own: one row of capitals per text.
TEST(PaintText, EveryTextOfARunKeepsItsFont) {
  const double points[] = {24, 24, 10, 10, 24, 10};
  const QFont shared = fontOf(10);
  QtPdfObj renderer = onePage();
  for (int i = 0; i < 6; ++i) {
    const QFont font = points[i] == 10 && i != 2 ? shared : fontOf(points[i]);
    renderer.addText(QPointF(5, 40 * i + 35), QStringLiteral("HH"), font, Qt::black);
  }
  QImage image = imageAt(96, 100, 240);
  ASSERT_TRUE(renderer.paint(&image));
  for (int i = 0; i < 6; ++i) {
    const double expected =
        QFontMetricsF(fontOf(points[i]), &image).tightBoundingRect("H").height();
    EXPECT_NEAR(expected, inkOf(image.copy(0, 40 * i, 100, 40)).height(), 2) << i;
  }
}

TEST(PaintOrder, ARectangleCoversATextListedAfterIt) {
  QtPdfObj renderer = onePage();
  const QRectF box(10, 10, 80, 40);
  renderer.addRect(box, QPen(Qt::blue));
  renderer.addText(QPointF(20, 40), QStringLiteral("hidden"), fontOf(12), Qt::black);
  QImage image = imageAt(96, 100, 60);
  ASSERT_TRUE(renderer.paint(&image));
  for (int y = 12; y < 48; ++y) {
    for (int x = 12; x < 88; ++x) ASSERT_EQ(qRgb(0, 0, 255), image.pixel(x, y)) << x << "," << y;
  }
}

TEST(PaintText, RectTextsWrapInsideTheirBox) {
  QtPdfObj renderer = onePage();
  const QRectF box(20, 10, 120, 200);
  renderer.addRectText(box, QStringLiteral("several short words that cannot fit on one line"),
                       fontOf(12), Qt::black);
  QImage image = imageAt(96, 300, 300);
  ASSERT_TRUE(renderer.paint(&image));
  const QRect ink = inkOf(image);
  EXPECT_GE(ink.left(), 20);
  EXPECT_LE(ink.right(), 140);
  EXPECT_GT(ink.height(), 2 * QFontMetricsF(fontOf(12), &image).height()) << "three lines or more";
}

// A PDF writer that counts the pages it is asked to start.
class CountingWriter : public QPdfWriter {
 public:
  using QPdfWriter::QPdfWriter;
  bool newPage() override {
    ++newPages;
    return QPdfWriter::newPage();
  }
  int newPages = 0;
};

TEST(PaintPages, NewPageOnlyBetweenPages) {
  support::Directory dir("paint");
  for (int pages : {0, 1, 3}) {
    QtPdfObj renderer;
    for (int i = 0; i < pages; ++i) renderer.startPage();
    CountingWriter writer(QString::fromStdString(dir / "out.pdf"));
    EXPECT_TRUE(renderer.paint(&writer));
    EXPECT_EQ(std::max(0, pages - 1), writer.newPages) << pages;
  }
}

TEST(PaintPages, ReportsADeviceThatCannotBeOpened) {
  QtPdfObj renderer = onePage();
  QPdfWriter writer(QStringLiteral("/nonexistent-folder/out.pdf"));
  EXPECT_FALSE(renderer.paint(&writer));
}

}  // namespace
