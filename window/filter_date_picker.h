// The date pickers of a history's date range: a calendar that drops down,
// ISO dates, off until the range is ticked, wide enough for a whole date.
#pragma once

#include <QDateEdit>

namespace quillbary {

inline QDateEdit* FilterDatePicker(QWidget* parent, const QDate& date) {
  auto* picker = new QDateEdit(date, parent);
  picker->setCalendarPopup(true);
  picker->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
  picker->setEnabled(false);
  picker->setMinimumWidth(picker->fontMetrics().horizontalAdvance(QStringLiteral("0000-00-000")) +
                          30);
  return picker;
}

}  // namespace quillbary
