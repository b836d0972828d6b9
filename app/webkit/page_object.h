// The object QtWebKit publishes into each local document as `myObject`.
//
// Script sees its properties and its slots. It has the two properties of the
// page protocol, `command` and `result`, and of its slots only the inherited
// deleteLater(), which asks the window to go: nothing else of the window is
// reachable from a page.
#pragma once

#include <QObject>
#include <QString>

namespace app {

class PageHooks;

class PageObject : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString command READ command WRITE setCommand)
  Q_PROPERTY(QString result READ result WRITE setResult)

 public:
  PageObject(PageHooks& hooks, QObject* parent);

  // Reading `command` always gives "": the request is run, not stored.
  QString command() const { return QString(); }
  // Runs the request and keeps its answer.
  void setCommand(const QString& text);

  QString result() const { return result_; }
  void setResult(const QString& text) { result_ = text; }

 protected:
  // deleteLater() from script deletes the window, in its own time, not this
  // object under a command that may be running on it.
  bool event(QEvent* event) override;

 private:
  PageHooks& hooks_;
  QString result_;
};

}  // namespace app
