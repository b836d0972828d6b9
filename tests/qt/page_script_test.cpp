// What a local document sees of the shell, the same on both engines:
// myObject with `command`, `result` and deleteLater(), and nothing of the
// native call underneath.
#include <gtest/gtest.h>

#include "tests/support/qt_page.h"

using support::evaluate;

namespace {

TEST(PageScript, MyObjectHasTheProtocolAndNothingElse) {
  support::TestView view(support::recordingPage());
  EXPECT_EQ(evaluate(view.view(),
                     QStringLiteral("Object.getOwnPropertyNames(myObject).sort().join()"))
                .toString(),
            QStringLiteral("command,deleteLater,result"));
  EXPECT_EQ(evaluate(view.view(), QStringLiteral("Object.keys(myObject).join()")).toString(),
            QStringLiteral("command,result"));
  EXPECT_EQ(evaluate(view.view(), QStringLiteral("typeof myObject.objectName + ' ' +"
                                                 "typeof myObject.destroyed + ' ' +"
                                                 "typeof myObject.objectNameChanged"))
                .toString(),
            QStringLiteral("undefined undefined undefined"));
  // The native call is taken out of the window before the page runs.
  EXPECT_EQ(evaluate(view.view(), QStringLiteral("Object.getOwnPropertyNames(window).filter("
                                                 "function (n) { return /^_native/.test(n); })"
                                                 ".length"))
                .toInt(),
            0);
  EXPECT_TRUE(
      evaluate(view.view(), QStringLiteral("call('version')")).toString().startsWith("[ \"OK\""));
  evaluate(view.view(), QStringLiteral("myObject.deleteLater()"));
  EXPECT_EQ(view.hooks().deletionsRequested, 1);
}

}  // namespace
