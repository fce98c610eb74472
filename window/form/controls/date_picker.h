// The date picker of the four date fields.
#pragma once

#include <QDateEdit>

namespace quillbary {

// A date edit with a calendar pop-up where Tab leaves the field, as in any
// other field of the window; the arrow keys move between year, month and day.
// A click selects the year, month or day under the mouse, so that the digits
// typed next replace it, and a full year or month moves the typing on.
// F4 or Alt+Down opens the calendar, as on a drop-down list.
class DatePicker : public QDateEdit {
  Q_OBJECT

 public:
  explicit DatePicker(QWidget* parent = nullptr);

 protected:
  bool focusNextPrevChild(bool next) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void openCalendar();
};

}  // namespace quillbary
