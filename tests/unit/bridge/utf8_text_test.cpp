#include "bridge/utf8_text.h"

#include <gtest/gtest.h>

#include <string>

namespace bridge {
namespace {

QString units(std::u16string text) {
  return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<int>(text.size()));
}

// Qt writes a lone surrogate as '?' (Qt 5) or as its code point's bytes,
// which are not UTF-8 (Qt 6); what a page hands over must reach files and
// the log as UTF-8 all the same.
TEST(Utf8Text, LoneSurrogatesBecomeReplacementCharacters) {
  const std::u16string text = {u'x', 0xD800, u'y', u' ', 0xDC00, u' ', 0xD83D, 0xDE00, u' ', 0xD83D};
  EXPECT_EQ(toUtf8(units(text)),
            "x\xEF\xBF\xBDy \xEF\xBF\xBD \xF0\x9F\x98\x80 \xEF\xBF\xBD");
  EXPECT_EQ(toUtf8(units({0xDC00, 0xD800})), "\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_EQ(toUtf8(units(std::u16string(u"zażółć\0end", 10))), std::string("za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87\0end", 14));
}

}  // namespace
}  // namespace bridge
