#include "date_picker.h"

#include <QEvent>
#include <QLineEdit>

namespace quillbary {

DatePicker::DatePicker(QWidget* parent) : QDateEdit(parent) {
  lineEdit()->installEventFilter(this);
}

bool DatePicker::focusNextPrevChild(bool next) {
  // Skip the date edit's own stepping through its sections.
  return QWidget::focusNextPrevChild(next);
}

bool DatePicker::eventFilter(QObject* watched, QEvent* event) {
  // The text under the mouse gets the click first and places the cursor; the
  // section at the cursor is selected once it has.
  if (watched == lineEdit() && event->type() == QEvent::MouseButtonRelease &&
      !lineEdit()->hasSelectedText()) {
    QMetaObject::invokeMethod(
        this, [this] { setSelectedSection(currentSection()); }, Qt::QueuedConnection);
  }
  return QDateEdit::eventFilter(watched, event);
}

}  // namespace quillbary
