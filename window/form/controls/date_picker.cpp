#include "form/controls/date_picker.h"

#include <QApplication>
#include <QEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QProxyStyle>
#include <QSignalBlocker>
#include <QStyleOptionComboBox>
#include <QToolTip>

namespace quillbary {
namespace {

// The window style's drop-down arrow leaves too little room for a whole date
// in a picker 83 pixels wide; this narrows the arrow to 13 pixels and gives
// the rest to the date.
class NarrowArrowStyle : public QProxyStyle {
 public:
  QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
                       const QWidget* widget) const override {
    constexpr int kArrowWidth = 13;
    QRect rect = QProxyStyle::subControlRect(control, option, part, widget);
    if (control != CC_ComboBox) return rect;
    const int spare =
        QProxyStyle::subControlRect(control, option, SC_ComboBoxArrow, widget).width() -
        kArrowWidth;
    if (spare <= 0) return rect;
    const bool leftToRight = option->direction != Qt::RightToLeft;
    if (part == SC_ComboBoxArrow) {
      return leftToRight ? rect.adjusted(spare, 0, 0, 0) : rect.adjusted(0, 0, -spare, 0);
    }
    if (part == SC_ComboBoxEditField) {
      return leftToRight ? rect.adjusted(0, 0, spare, 0) : rect.adjusted(-spare, 0, 0, 0);
    }
    return rect;
  }
};

// One style for all pickers, ended with the application.
QStyle* PickerStyle() {
  static QPointer<NarrowArrowStyle> style;
  if (style.isNull()) {
    style = new NarrowArrowStyle;
    style->setParent(qApp);
  }
  return style;
}

bool OpensCalendar(const QKeyEvent& event) {
  const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
  return (event.key() == Qt::Key_F4 && modifiers == Qt::NoModifier) ||
         (event.key() == Qt::Key_Down && modifiers == Qt::AltModifier);
}

}  // namespace

DatePicker::DatePicker(QWidget* parent) : QDateEdit(parent) {
  setStyle(PickerStyle());
  lineEdit()->installEventFilter(this);
}

bool DatePicker::focusNextPrevChild(bool next) {
  // Skip the date edit's own stepping through its sections.
  return QWidget::focusNextPrevChild(next);
}

bool DatePicker::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lineEdit() && event->type() == QEvent::MouseButtonPress) finishTyping();
  // The text under the mouse gets the click first and places the cursor; the
  // section at the cursor is selected once it has.
  if (watched == lineEdit() && event->type() == QEvent::MouseButtonRelease &&
      !lineEdit()->hasSelectedText()) {
    QMetaObject::invokeMethod(
        this, [this] { setSelectedSection(currentSection()); }, Qt::QueuedConnection);
  }
  return QDateEdit::eventFilter(watched, event);
}

void DatePicker::keyPressEvent(QKeyEvent* event) {
  const bool plain = (event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier)) == 0;
  if (plain && event->text().size() == 1 && event->text()[0].isPrint()) {
    // Letters and the like are refused, never handed to the date edit's own
    // reading of the text.
    typeCharacter(event->text()[0]);
    event->accept();
    return;
  }
  if (typing_ && event->key() == Qt::Key_Backspace && event->modifiers() == Qt::NoModifier) {
    if (typing_->backspace()) showTyping();
    event->accept();
    return;
  }
  finishTyping();
  if (!calendarPopup() || !OpensCalendar(*event)) {
    QDateEdit::keyPressEvent(event);
    return;
  }
  event->accept();
  openCalendar();
}

bool DatePicker::event(QEvent* event) {
  // An input method commits 年, 月 and 日 (and full-width digits) as text, to
  // the picker itself: the date edit would hand them to its own reading.
  if (event->type() == QEvent::InputMethod) {
    auto* input = static_cast<QInputMethodEvent*>(event);
    if (input->preeditString().isEmpty() && !input->commitString().isEmpty()) {
      for (const QChar c : input->commitString()) typeCharacter(c);
      input->accept();
      return true;
    }
  }
  return QDateEdit::event(event);
}

// A click on the arrow, the wheel and the arrow keys work on the date the
// typing gave, and the typing does not come back over what they chose.
void DatePicker::mousePressEvent(QMouseEvent* event) {
  finishTyping();
  QDateEdit::mousePressEvent(event);
}

void DatePicker::stepBy(int steps) {
  finishTyping();
  QDateEdit::stepBy(steps);
}

void DatePicker::focusInEvent(QFocusEvent* event) {
  QDateEdit::focusInEvent(event);
  if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason) {
    setSelectedSection(YearSection);
  }
}

void DatePicker::focusOutEvent(QFocusEvent* event) {
  finishTyping();
  QDateEdit::focusOutEvent(event);
}

bool DatePicker::typeCharacter(QChar c) {
  if (!typing_) {
    const TypedDate::Section from = currentSection() == MonthSection ? TypedDate::kMonth
                                    : currentSection() == DaySection ? TypedDate::kDay
                                                                     : TypedDate::kYear;
    typing_ = std::make_unique<TypedDate>(date(), from);
  }
  if (!typing_->type(c)) {
    sayNotADate(QStringLiteral("日期只能输入数字和 - / . 年 月 日"));
    return false;
  }
  setToolTip({});  // what was told is no longer what is typed
  showTyping();
  return true;
}

void DatePicker::showTyping() {
  const QDate typed = typing_->date();
  if (typed.isValid() && typed >= minimumDate() && typed <= maximumDate()) setDate(typed);
  // The digits as typed, where the date edit would show its own reading;
  // the date edit is not told, since it would read "2011-2-01" otherwise.
  QLineEdit* edit = lineEdit();
  const QSignalBlocker blocker(edit);
  edit->setText(typing_->text());
  edit->setSelection(typing_->sectionStart(), typing_->sectionLength());
}

void DatePicker::finishTyping() {
  if (!typing_) return;
  const QDate typed = typing_->date();
  const bool exists = typed.isValid() && typed >= minimumDate() && typed <= maximumDate();
  const QDate before = typing_->before();
  const QString text = typing_->text();
  typing_.reset();
  setDate(exists ? typed : before);
  lineEdit()->setText(textFromDateTime(dateTime()));
  if (!exists) {
    sayNotADate(QStringLiteral("“%1”不是日期，仍为 %2")
                    .arg(text, before.toString(QStringLiteral("yyyy-MM-dd"))));
  }
}

void DatePicker::sayNotADate(const QString& tip) {
  QApplication::beep();
  setToolTip(tip);
  QToolTip::showText(mapToGlobal(QPoint(0, height())), tip, this);
}

void DatePicker::openCalendar() {
  finishTyping();
  // The date edit opens its calendar only for a press on its arrow, and then
  // places it below the field, on the screen; the press is made here.
  QStyleOptionComboBox option;
  option.initFrom(this);
  option.editable = true;
  option.subControls = QStyle::SC_All;
  const QRect arrow =
      style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, this);
  const QPointF at = arrow.center();
  QMouseEvent press(QEvent::MouseButtonPress, at, mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QDateEdit::mousePressEvent(&press);
}

}  // namespace quillbary
