// The floor of the start-up benchmark on Qt WebEngine: the least a program
// needs to show ./index.html in a web view and end once it has loaded.
#include <QApplication>
#include <QDir>
#include <QUrl>
#include <QWebEngineView>

int main(int argc, char** argv) {
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication application(argc, argv);
  QWebEngineView view;
  QObject::connect(&view, &QWebEngineView::loadFinished, &application, &QApplication::quit);
  view.load(QUrl::fromLocalFile(QDir::currentPath() + QStringLiteral("/index.html")));
  view.show();
  return application.exec();
}
