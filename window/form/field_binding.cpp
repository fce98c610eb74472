#include "form/field_binding.h"

#include <QAbstractButton>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <cassert>

#include "form/control_table.h"
#include "qt_text.h"

namespace quillbary {
namespace {

// The text of a text box, or the caption of a label.
QString TextOf(const QWidget* widget) {
  if (const auto* edit = qobject_cast<const QLineEdit*>(widget)) return edit->text();
  return qobject_cast<const QLabel*>(widget)->text();
}

void SetText(QWidget* widget, const QString& text) {
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    edit->setText(text);
  } else {
    qobject_cast<QLabel*>(widget)->setText(text);
  }
}

}  // namespace

FieldValues ReadFields(ControlWidgets controls) {
  const std::span<const ControlRow> rows = Controls();
  assert(controls.size() == rows.size());
  FieldValues fields;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const MemberShown& shows = rows[i].shows;
    const QWidget* widget = controls[i];
    if (shows.text) fields.*shows.text = TextOf(widget).toStdString();
    if (shows.date)
      fields.*shows.date = ToYearMonthDay(qobject_cast<const QDateEdit*>(widget)->date());
    if (shows.checked)
      fields.*shows.checked = qobject_cast<const QAbstractButton*>(widget)->isChecked();
    if (shows.visible) fields.*shows.visible = !widget->isHidden();
  }
  return fields;
}

void WriteFields(const FieldValues& fields, ControlWidgets controls) {
  const std::span<const ControlRow> rows = Controls();
  assert(controls.size() == rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const MemberShown& shows = rows[i].shows;
    QWidget* widget = controls[i];
    if (shows.text) {
      const QString text = ToQString(fields.*shows.text);
      if (TextOf(widget) != text) SetText(widget, text);
    }
    if (shows.visible) widget->setHidden(!(fields.*shows.visible));
  }
}

}  // namespace quillbary
