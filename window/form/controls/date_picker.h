// The date picker of the four date fields.
#pragma once

#include <QDateEdit>
#include <memory>

#include "form/controls/typed_date.h"

namespace quillbary {

// A date edit with a calendar pop-up where Tab leaves the field, as in any
// other field of the window; the arrow keys move between year, month and day.
// A click selects the year, month or day under the mouse, so that the digits
// typed next replace it, and a full year or month moves the typing on.
// F4 or Alt+Down opens the calendar, as on a drop-down list.
//
// Digits and separators typed go to a TypedDate, so that a date is typed as
// it is shown ("2011-02-04", "2011/2/4", "2011年2月4日"). The picker takes each
// date the typing gives as it comes; when the typing ends (the focus leaves,
// another key, a click, the calendar) on a date that does not exist
// ("2009-02-30"), it goes back to the date it had before the typing, never to
// a neighbouring one, and says so: a beep, and a tip naming what was typed
// and the date kept. A character that no date holds (a letter) is refused
// with a beep and a tip too. Tab or Shift+Tab into the picker selects the year, so
// that what is typed replaces the whole date.
class DatePicker : public QDateEdit {
  Q_OBJECT

 public:
  explicit DatePicker(QWidget* parent = nullptr);

 protected:
  bool focusNextPrevChild(bool next) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool event(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void stepBy(int steps) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void openCalendar();
  bool typeCharacter(QChar c);
  void showTyping();
  void finishTyping();
  // A beep, and `tip` on the field until a date is next typed.
  void sayNotADate(const QString& tip);

  std::unique_ptr<TypedDate> typing_;
};

}  // namespace quillbary
