// The QtWebKit build's native call: an object added to each new document of
// the main frame under a name private to this run, which the install script
// (page_script.h) takes and removes from the window before any script of
// the page runs. Its one slot hands the call to the PageChannel, with the
// main frame's address as the calling document's.
#pragma once

#include <QObject>
#include <QString>

class QWebFrame;

namespace app {

class PageChannel;

class NativeCall : public QObject {
  Q_OBJECT

 public:
  // Answers the calls of `frame`'s documents; goes with the frame.
  NativeCall(PageChannel& channel, QWebFrame* frame);

  // The name the object has in the window until the install script takes it.
  const QString& name() const { return name_; }
  // The install script's native call (page_script.h).
  QString nativeCall() const;

 public slots:
  // `kind` is one PageCall letter; a null answer is the page's null.
  QString send(const QString& kind, const QString& text);

 private:
  PageChannel& channel_;
  QWebFrame* frame_;
  QString name_;
};

}  // namespace app
