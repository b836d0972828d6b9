// The floor of the start-up benchmark: the least a program needs to show
// ./index.html in a web view and end once it has loaded.
#include <QApplication>
#include <QDir>
#include <QUrl>
#include <QWebView>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QWebView view;
  QObject::connect(&view, &QWebView::loadFinished, &application, &QApplication::quit);
  view.load(QUrl::fromLocalFile(QDir::currentPath() + QStringLiteral("/index.html")));
  view.show();
  return application.exec();
}
