// JSInvoker carries one callback script to the thread that owns its page and
// runs it there once, then frees itself.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWebPage>

namespace bridge {

class JSInvoker : public QObject {
  Q_OBJECT

 public:
  // Moves the new invoker to the page's thread; its run() slot must then be
  // invoked with a queued connection.
  JSInvoker(QWebPage* page, const QString& script);

 public slots:
  // Evaluates the script in the page's current frame (or main frame), if the
  // page and a frame still exist, then schedules the invoker's deletion.
  void run();

 private:
  QPointer<QWebPage> page_;
  QString script_;
};

}  // namespace bridge
