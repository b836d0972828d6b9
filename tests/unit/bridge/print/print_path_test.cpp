#include <gtest/gtest.h>

#include "bridge/print/print.h"

namespace {

TEST(PdfPath, NamesTheFileAfterDateAndTimeInTheGivenFolder) {
  const QDateTime when(QDate(2015, 3, 20), QTime(14, 30, 5));
  EXPECT_EQ(QStringLiteral("/home/a/Dokumenty/recepta-150320143005.pdf"),
            bridge::print::pdfPath(QStringLiteral("/home/a/Dokumenty"), when));
  // The folder is used as given: no separator is added or removed.
  EXPECT_EQ(QStringLiteral("/recepta-150320143005.pdf"), bridge::print::pdfPath(QString(), when));
  EXPECT_EQ(QStringLiteral("out//recepta-150320143005.pdf"),
            bridge::print::pdfPath(QStringLiteral("out/"), when));
}

}  // namespace
