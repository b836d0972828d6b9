// The QtWebKit build's native call: an object added to each new document of
// the main frame under a name private to this run, which the install script
// (page_script.h) takes and removes from the window before any script of
// the page runs. A call is one write of the text to the property named by
// the call's kind letter (PageCall), which hands it to the PageChannel with
// the main frame's address as the calling document's, and one read of
// `answer`: QtWebKit reaches a property faster than a slot, and a property
// per kind keeps the text whole.
#pragma once

#include <QObject>
#include <QString>

#include "app/page_script.h"

class QWebFrame;

namespace app {

class PageChannel;

class NativeCall : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString n READ none WRITE documentCreated)
  Q_PROPERTY(QString c READ none WRITE command)
  Q_PROPERTY(QString d READ none WRITE deletion)
  Q_PROPERTY(QString answer READ answer)

 public:
  // Answers the calls of `frame`'s documents; goes with the frame.
  NativeCall(PageChannel& channel, QWebFrame* frame);

  // The name the object has in the window until the install script takes it.
  const QString& name() const { return name_; }
  // The install script's native call (page_script.h).
  QString nativeCall() const;

  // Each runs its call and keeps the answer; a null answer is the page's
  // null.
  void documentCreated(const QString& text) { send(PageCall::DocumentCreated, text); }
  void command(const QString& text) { send(PageCall::Command, text); }
  void deletion(const QString& text) { send(PageCall::DeleteLater, text); }
  QString none() const { return QString(); }
  QString answer() const { return answer_; }

 private:
  void send(PageCall call, const QString& text);

  PageChannel& channel_;
  QWebFrame* frame_;
  QString name_;
  QString answer_;
};

}  // namespace app
