#include "guidance/field_focus.h"

#include <QDateTimeEdit>
#include <QLineEdit>

namespace quillbary {

void FocusField(QWidget* field) {
  if (field == nullptr || field->focusPolicy() == Qt::NoFocus) return;
  if (auto* text = qobject_cast<QLineEdit*>(field); text != nullptr && text->isReadOnly()) return;
  field->setFocus(Qt::OtherFocusReason);
  if (auto* text = qobject_cast<QLineEdit*>(field)) {
    text->selectAll();
  } else if (auto* picker = qobject_cast<QDateTimeEdit*>(field)) {
    picker->setSelectedSection(QDateTimeEdit::YearSection);
  }
}

}  // namespace quillbary
