#include "app/webkit/page_object.h"

#include <QEvent>

#include "app/page_hooks.h"

namespace app {

PageObject::PageObject(PageHooks& hooks, QObject* parent) : QObject(parent), hooks_(hooks) {}

void PageObject::setCommand(const QString& text) {
  result_ = hooks_.runCommand(text);
}

bool PageObject::event(QEvent* event) {
  if (event->type() == QEvent::DeferredDelete) {
    hooks_.requestDeletion();
    return true;
  }
  return QObject::event(event);
}

}  // namespace app
