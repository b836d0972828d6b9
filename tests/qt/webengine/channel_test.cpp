// The WebEngine build's private channel: only local documents are answered,
// whatever a remote one sends, and a page's own prompt() stays its own.
#include <QApplication>
#include <QDialog>
#include <QRegularExpression>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/qt_page.h"

using support::evaluate;

namespace {

// The marker the installed script carries, as a hostile page that had
// learnt it would send it.
QString markerOf(app::WebView& view) {
  auto* engineView = qobject_cast<QWebEngineView*>(view.widget());
  const QList<QWebEngineScript> scripts =
      engineView->page()->scripts().find(QStringLiteral("pageshell"));
  if (scripts.isEmpty()) return QString();
  const QRegularExpressionMatch found =
      QRegularExpression(QStringLiteral("var marker = '([^']+)'")).match(scripts[0].sourceCode());
  return found.captured(1);
}

bool logged(support::TestView& view, const std::string& prefix) {
  const auto& lines = view.hooks().lines;
  return std::any_of(lines.begin(), lines.end(),
                     [&](const std::string& line) { return line.rfind(prefix, 0) == 0; });
}

TEST(WebEngineChannel, ARemoteDocumentThatKnowsTheMarkerGetsNothing) {
  support::TestView view(support::recordingPage());
  const QString marker = markerOf(view.view());
  ASSERT_FALSE(marker.isEmpty());
  const QString request =
      QStringLiteral("prompt(%1 + 'c', '[\"1.0.3.20150320\", \"x\", \"version\"]')");
  const QString quoted = QStringLiteral("'") + marker + QStringLiteral("'");
  EXPECT_TRUE(evaluate(view.view(), request.arg(quoted)).toString().contains(QStringLiteral("OK")));

  view.view().load(QUrl(QStringLiteral("data:text/html,<p>remote</p>")));
  ASSERT_TRUE(support::waitForLoad(view.view()));
  EXPECT_EQ(evaluate(view.view(), QStringLiteral("typeof myObject")).toString(),
            QStringLiteral("undefined"));
  EXPECT_TRUE(evaluate(view.view(), request.arg(quoted)).isNull());
  EXPECT_TRUE(logged(view, "Request refused from a non-local document [data:"));
}

TEST(WebEngineChannel, APagesOwnPromptIsAnOrdinaryDialog) {
  support::TestView view(support::recordingPage());
  bool dialogSeen = false;
  QTimer poll;
  poll.setInterval(20);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      dialogSeen = true;
      dialog->reject();
    }
  });
  poll.start();
  EXPECT_TRUE(evaluate(view.view(), QStringLiteral("prompt('Your name?', 'x')")).isNull());
  EXPECT_TRUE(dialogSeen);
}

}  // namespace
