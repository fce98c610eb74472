#include "form/controls/command_button.h"

#include <QKeyEvent>

namespace quillbary {

void CommandButton::keyPressEvent(QKeyEvent* event) {
  const bool returnKey = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  // Enter on the keypad comes with the keypad modifier; any other modifier
  // makes another key.
  if (!returnKey || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
    QPushButton::keyPressEvent(event);
    return;
  }
  event->accept();
  if (!event->isAutoRepeat()) click();
}

}  // namespace quillbary
