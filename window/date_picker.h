// The date picker of the four date fields.
#pragma once

#include <QDateEdit>

namespace quillbary {

// A date edit with a calendar pop-up where Tab leaves the field, as in any
// other field of the window; the arrow keys move between year, month and day.
class DatePicker : public QDateEdit {
  Q_OBJECT

 public:
  using QDateEdit::QDateEdit;

 protected:
  bool focusNextPrevChild(bool next) override;
};

}  // namespace quillbary
