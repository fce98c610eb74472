#include "form/controls/date_picker.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOptionComboBox>

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
  if (!calendarPopup() || !OpensCalendar(*event)) {
    QDateEdit::keyPressEvent(event);
    return;
  }
  event->accept();
  openCalendar();
}

void DatePicker::openCalendar() {
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
