// The window as built: every control's name, kind, caption, place, look,
// tab order and start state.
#include <QApplication>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QTest>

#include "app/app_setup.h"
#include "form/controls/caption_label.h"
#include "form/form1.h"
#include "form/tests/form_driver.h"

namespace quillbary::testing {

namespace {
const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);
constexpr int kRedHue = 0;

// Every control of the window, in no particular order.
QList<QWidget*> NamedControls(const Form1& form) {
  QList<QWidget*> controls;
  for (QWidget* child : form.findChildren<QWidget*>()) {
    if (!child->objectName().isEmpty() &&
        form.control(child->objectName().toStdString()) == child) {
      controls << child;
    }
  }
  return controls;
}

QRect PlaceInWindow(const Form1& form, const QWidget* widget) {
  return {widget->mapTo(&form, QPoint(0, 0)), widget->size()};
}

// Where a click lands on the control: an option takes it on its mark and
// caption only, any other control on its whole box.
QRect ClickAreaInWindow(const Form1& form, QWidget* widget) {
  QRect area = widget->rect();
  if (auto* option = qobject_cast<QRadioButton*>(widget)) {
    QStyleOptionButton style;
    style.initFrom(option);
    style.text = option->text();
    area = option->style()->subElementRect(QStyle::SE_RadioButtonClickRect, &style, option);
  }
  return area.translated(widget->mapTo(&form, QPoint(0, 0)));
}

// The width a button's caption is drawn in, beside its check mark if any.
int CaptionRoom(QAbstractButton* button) {
  QStyleOptionButton option;
  option.initFrom(button);
  option.text = button->text();
  const bool isRadio = qobject_cast<QRadioButton*>(button) != nullptr;
  return button->style()
      ->subElementRect(isRadio ? QStyle::SE_RadioButtonContents : QStyle::SE_PushButtonContents,
                       &option, button)
      .width();
}

QColor TextColour(QWidget* widget) {
  return widget->palette().color(qobject_cast<QLabel*>(widget) ? QPalette::WindowText
                                                               : QPalette::Text);
}
}  // namespace

class LayoutTest : public FormFixture {
  Q_OBJECT

 private slots:
  void initTestCase();
  void controls_data();
  void controls();
  void resultFieldsLook_data();
  void resultFieldsLook();
  void window();
  void startState();
  void datePickers();
  void datePickerClickSelectsTheFieldUnderTheMouse_data();
  void datePickerClickSelectsTheFieldUnderTheMouse();
  void fonts();
  void tabOrder();
  void noticeFitsItsPlace();
  void captionBreaksOnlyAtBlanks_data();
  void captionBreaksOnlyAtBlanks();
  void noticeAndClockArePaintedRed();
  void captionsFitTheirBoxes();
  void datesFitTheirPickers();
  void controlsLieInsideTheWindow();
  void outOfFocusLooksAsInFocus_data();
  void outOfFocusLooksAsInFocus();
  void focusableControlsDoNotOverlap();
};

void LayoutTest::initTestCase() {
  // As the program sets itself up, in whatever locale the test runs in.
  QVERIFY(SetUpApplication());
}

void LayoutTest::controls_data() {
  QTest::addColumn<QString>("kind");
  QTest::addColumn<QString>("caption");
  QTest::addColumn<QRect>("place");  // pixels in the window
  QTest::addColumn<bool>("shownAtStart");
  QTest::addColumn<QString>("accessibleName");

  const auto row = [](const char* name, const char* kind, const char* caption, QRect place,
                      bool shown = true, const char* accessible = "") {
    QTest::newRow(name) << kind << QString::fromUtf8(caption) << place << shown
                        << QString::fromUtf8(accessible);
  };
  row("Label1", "QLabel", "借款日期", {24, 16, 49, 17});
  row("Label2", "QLabel", "到期日期", {112, 16, 49, 17});
  row("Label3", "QLabel", "还款日期", {200, 16, 49, 17});
  row("Label4", "QLabel", "还款金额", {288, 16, 49, 17});
  row("Label5", "QLabel", "利率(‰)", {376, 16, 49, 17});
  row("Label6", "QLabel", "起息日期", {24, 72, 57, 17});
  row("Label7", "QLabel", "正常利息", {200, 72, 49, 17});
  row("Label8", "QLabel", "逾期天数", {288, 72, 49, 17});
  row("Label9", "QLabel", "正常天数", {112, 72, 49, 17});
  row("Label10", "QLabel", "逾期利率(‰)", {368, 72, 73, 17});
  row("Label11", "QLabel", "逾期利息", {24, 128, 49, 17});
  row("Label12", "QLabel", "当前日期：", {288, 136, 60, 17});
  row("Label13", "QLabel", "当前时间：", {288, 152, 60, 17});
  row("jkrq", "QDateEdit", "", {8, 40, 83, 19}, true, "借款日期");
  row("dqrq", "QDateEdit", "", {96, 40, 83, 19}, true, "到期日期");
  row("hkrq", "QDateEdit", "", {184, 40, 83, 19}, true, "还款日期");
  row("qxrq", "QDateEdit", "", {8, 96, 83, 19}, true, "起息日期");
  row("hkje", "QLineEdit", "", {272, 40, 83, 19}, true, "还款金额");
  row("ll", "QLineEdit", "", {360, 40, 83, 19}, true, "利率(‰)");
  row("zcts", "QLineEdit", "", {96, 96, 83, 19}, true, "正常天数");
  row("zclx", "QLineEdit", "", {184, 96, 83, 19}, true, "正常利息");
  row("yqts", "QLineEdit", "", {272, 96, 83, 18}, true, "逾期天数");
  row("yqll", "QLineEdit", "", {360, 96, 83, 19}, true, "逾期利率(‰)");
  row("yqlx", "QLineEdit", "", {8, 144, 83, 19}, true, "逾期利息");
  row("Command1", "QPushButton", "开始计算", {232, 176, 65, 33}, true, "开始计算");
  row("Command2", "QPushButton", "清空", {304, 176, 65, 33}, true, "清空");
  row("Command3", "QPushButton", "退出", {376, 176, 65, 33}, true, "退出");
  row("Frame1", "QGroupBox", "请选择还款方式", {96, 128, 161, 37});
  row("zjlx", "QRadioButton", "只结利息", {104, 143, 81, 17}, true, "只结利息");
  row("hbjx", "QRadioButton", "还本结息", {184, 143, 71, 17}, true, "还本结息");
  row("l1", "QLabel", "", {0, 176, 73, 33}, false);
  row("hj", "QLineEdit", "", {80, 176, 145, 33}, false, "合计");
  row("Text1", "QLineEdit", "", {352, 133, 89, 18}, true, "当前日期");
  row("Text2", "QLineEdit", "", {352, 147, 88, 18}, true, "当前时间");
}

void LayoutTest::controls() {
  QFETCH(QString, kind);
  QFETCH(QString, caption);
  QFETCH(QRect, place);
  QFETCH(bool, shownAtStart);
  QFETCH(QString, accessibleName);

  Form1 form(FixedClock());  // its own, never shown: as built, before the first tick
  QWidget* widget = form.control(QTest::currentDataTag());
  QVERIFY(widget != nullptr);
  QCOMPARE(widget->objectName(), QString::fromLatin1(QTest::currentDataTag()));
  QVERIFY2(widget->inherits(kind.toLatin1()), widget->metaObject()->className());
  QCOMPARE(QRect(widget->mapTo(&form, QPoint(0, 0)), widget->size()), place);
  QCOMPARE(!widget->isHidden(), shownAtStart);
  QCOMPARE(widget->accessibleName(), accessibleName);

  QString shownCaption;
  if (auto* label = qobject_cast<QLabel*>(widget)) shownCaption = label->text();
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) shownCaption = button->text();
  if (auto* frame = qobject_cast<QGroupBox*>(widget)) shownCaption = frame->title();
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) shownCaption = edit->text();
  QCOMPARE(shownCaption, caption);
}

void LayoutTest::resultFieldsLook_data() {
  QTest::addColumn<QColor>("text");
  QTest::addColumn<bool>("resultBackground");
  QTest::addColumn<bool>("readOnly");

  const QColor plain = QApplication::palette().color(QPalette::Text);
  QTest::newRow("zcts") << kBlue << true << true;
  QTest::newRow("zclx") << kBlue << true << true;
  QTest::newRow("yqts") << kBlue << true << true;
  QTest::newRow("yqll") << kBlue << true << true;
  QTest::newRow("yqlx") << plain << true << true;
  QTest::newRow("hj") << kBlue << true << true;
  QTest::newRow("hkje") << plain << false << false;
  QTest::newRow("ll") << plain << false << false;
  QTest::newRow("Text1") << kRed << false << true;
  QTest::newRow("Text2") << kRed << false << true;
}

void LayoutTest::resultFieldsLook() {
  QFETCH(QColor, text);
  QFETCH(bool, resultBackground);
  QFETCH(bool, readOnly);

  Form1 form(FixedClock());
  auto* edit = qobject_cast<QLineEdit*>(form.control(QTest::currentDataTag()));
  QCOMPARE(TextColour(edit), text);
  QCOMPARE(edit->palette().color(QPalette::Base) == form.palette().color(QPalette::Midlight),
           resultBackground);
  QCOMPARE(edit->isReadOnly(), readOnly);
}

void LayoutTest::window() {
  Form1 form(FixedClock());
  QCOMPARE(form.objectName(), QStringLiteral("Form1"));
  QCOMPARE(form.windowTitle(), QStringLiteral("Quillbary"));
  QCOMPARE(form.size(), QSize(452, 220));
  QCOMPARE(form.minimumSize(), form.maximumSize());
  QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
  QCOMPARE(TextColour(form.control("l1")), kRed);
  QCOMPARE(TextColour(form.control("l2")), kRed);
  QCOMPARE(form.timer1()->interval(), 1);
  QVERIFY(form.timer1()->isActive());
}

void LayoutTest::startState() {
  Form1& form = shown();
  QCOMPARE(QApplication::focusWidget(), form.control("jkrq"));
  for (const char* name : {"hkje", "ll", "zcts", "zclx", "yqts", "yqll", "yqlx", "hj"}) {
    QVERIFY2(Text(form, name).isEmpty(), name);
  }
  QVERIFY(qobject_cast<QLabel*>(form.control("l1"))->text().isEmpty());
  QVERIFY(!qobject_cast<QRadioButton*>(form.control("zjlx"))->isChecked());
  QVERIFY(!qobject_cast<QRadioButton*>(form.control("hbjx"))->isChecked());
  QVERIFY(form.control("l2")->isVisible());
  QVERIFY(!form.control("l1")->isVisible());
  QVERIFY(!form.control("hj")->isVisible());
}

void LayoutTest::datePickers() {
  Form1 form(FixedClock());
  for (const char* name : {"jkrq", "dqrq", "hkrq", "qxrq"}) {
    auto* picker = qobject_cast<QDateEdit*>(form.control(name));
    QCOMPARE(picker->date(), QDate(2005, 1, 1));
    QCOMPARE(picker->text(), QStringLiteral("2005-01-01"));  // in every locale
    QCOMPARE(picker->minimumDate(), QDate(1601, 1, 1));
    QCOMPARE(picker->maximumDate(), QDate(9999, 12, 31));
    QVERIFY(picker->calendarPopup());
    // The whole date is readable beside the drop-down arrow.
    const int textWidth = picker->fontMetrics().horizontalAdvance(QStringLiteral("2005-12-31"));
    QVERIFY2(textWidth <= picker->width() - 16, qPrintable(QString::number(textWidth)));
  }
}

void LayoutTest::datePickerClickSelectsTheFieldUnderTheMouse_data() {
  QTest::addColumn<int>("x");  // where the click falls in the date's text
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QDate>("date");
  QTest::newRow("year, and on to month and day") << 10 << "20090930" << QDate(2009, 9, 30);
  QTest::newRow("month only") << 36 << "07" << QDate(2005, 7, 1);
  QTest::newRow("day only") << 52 << "28" << QDate(2005, 1, 28);
}

void LayoutTest::datePickerClickSelectsTheFieldUnderTheMouse() {
  QFETCH(int, x);
  QFETCH(QString, typed);
  QFETCH(QDate, date);

  Form1& form = shown();
  auto* picker = qobject_cast<QDateEdit*>(form.control("hkrq"));  // not the one with the focus
  auto* text = picker->findChild<QLineEdit*>();
  QTest::mouseClick(text, Qt::LeftButton, Qt::NoModifier, QPoint(x, text->height() / 2));
  QCoreApplication::processEvents();
  QTest::keyClicks(picker, typed);
  QCOMPARE(picker->date(), date);
}

void LayoutTest::fonts() {
  Form1 form(FixedClock());
  const QFont total = form.control("hj")->font();
  QVERIFY(total.bold() && total.italic());
  QCOMPARE(total.pixelSize(), 24);
  const QFont caption = form.control("l1")->font();
  QVERIFY(caption.bold() && caption.italic());
  QCOMPARE(caption.pixelSize(), 16);
  QCOMPARE(form.control("Label1")->font().pixelSize(), 12);
  // A Chinese face is found for the captions.
  QVERIFY(QFontMetrics(caption).inFontUcs4(U'合'));
  QVERIFY(QFontMetrics(form.font()).inFontUcs4(U'借'));
}

void LayoutTest::tabOrder() {
  Form1& form = shown();
  // The two options are one stop, as a group; the arrow keys move between them.
  const QStringList expected = {"jkrq",     "dqrq",     "hkrq", "qxrq", "hkje", "ll",
                                "zcts",     "zclx",     "yqts", "yqll", "yqlx", "Command1",
                                "Command2", "Command3", "zjlx", "jkrq"};
  QStringList visited;
  for (int i = 0; i < expected.size(); ++i) {
    visited << QApplication::focusWidget()->objectName();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  QCOMPARE(visited, expected);

  form.control("zjlx")->setFocus();
  QTest::keyClick(form.control("zjlx"), Qt::Key_Right);
  QCOMPARE(QApplication::focusWidget(), form.control("hbjx"));
}

void LayoutTest::noticeFitsItsPlace() {
  Form1 form(FixedClock());
  auto* notice = qobject_cast<QLabel*>(form.control("l2"));
  QVERIFY(!notice->text().isEmpty());
  QVERIFY(notice->heightForWidth(notice->width()) <= notice->height());
}

void LayoutTest::captionBreaksOnlyAtBlanks_data() {
  QTest::addColumn<QString>("caption");
  QTest::addColumn<QString>("widthOf");  // the label is as wide as this text
  QTest::addColumn<QStringList>("lines");
  QTest::newRow("fits on one line") << " 利息  合计"
                                    << " 利息  合计" << QStringList{" 利息  合计"};
  QTest::newRow("breaks at the blanks, not between characters")
      << " 利息  合计"
      << " 利息  合" << QStringList{" 利息", "合计"};
  QTest::newRow("a word wider than the label stays whole") << " 利息  合计"
                                                           << "利" << QStringList{" 利息", "合计"};
  QTest::newRow("no blank, one line") << "合计"
                                      << "合" << QStringList{"合计"};
  QTest::newRow("as many words as fit") << "一 二 三"
                                        << "一 二 " << QStringList{"一 二", "三"};
}

void LayoutTest::captionBreaksOnlyAtBlanks() {
  QFETCH(QString, caption);
  QFETCH(QString, widthOf);
  QFETCH(QStringList, lines);

  Form1 form(FixedClock());
  auto* label = qobject_cast<CaptionLabel*>(form.control("l1"));
  QVERIFY(label != nullptr);
  label->setText(caption);
  label->setFixedWidth(label->fontMetrics().horizontalAdvance(widthOf));
  QCOMPARE(label->lines(), lines);
}

void LayoutTest::noticeAndClockArePaintedRed() {
  Form1& form = shown();
  const QImage notice = Painted(form, "l2");
  const int half = notice.height() / 2;
  // Two lines of red text: the notice wraps and is not cut off after one.
  QVERIFY(PixelsOfHue(notice.copy(0, 0, notice.width(), half), kRedHue) > 0);
  QVERIFY(PixelsOfHue(notice.copy(0, half, notice.width(), notice.height() - half), kRedHue) > 0);
  QTRY_VERIFY(PixelsOfHue(Painted(form, "Text1"), kRedHue) > 0);
  QTRY_VERIFY(PixelsOfHue(Painted(form, "Text2"), kRedHue) > 0);
}

void LayoutTest::captionsFitTheirBoxes() {
  Form1& form = shown();
  for (QWidget* widget : NamedControls(form)) {
    const QFontMetrics metrics = widget->fontMetrics();
    const char* name = qPrintable(widget->objectName());
    if (auto* label = qobject_cast<QLabel*>(widget); label && !label->wordWrap()) {
      QVERIFY2(metrics.horizontalAdvance(label->text()) <= label->contentsRect().width(), name);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
      QVERIFY2(metrics.horizontalAdvance(button->text()) <= CaptionRoom(button), name);
    } else if (auto* frame = qobject_cast<QGroupBox*>(widget)) {
      QVERIFY2(metrics.horizontalAdvance(frame->title()) + 16 <= frame->width(), name);
    }
  }
}

void LayoutTest::datesFitTheirPickers() {
  Form1& form = shown();
  for (auto* picker : form.findChildren<QDateEdit*>()) {
    auto* text = picker->findChild<QLineEdit*>();
    const QFontMetrics metrics = text->fontMetrics();
    QChar widest = u'0';
    for (QChar digit = u'1'; digit <= u'9'; digit = QChar(digit.unicode() + 1)) {
      if (metrics.horizontalAdvance(digit) > metrics.horizontalAdvance(widest)) widest = digit;
    }
    const QString widestDate =
        QString(4, widest) + '-' + QString(2, widest) + '-' + QString(2, widest);
    // A line edit keeps two pixels free on either side of its text.
    const QMargins margins = text->textMargins();
    const int room = text->contentsRect().width() - margins.left() - margins.right() - 4;
    QVERIFY2(
        metrics.horizontalAdvance(widestDate) <= room,
        qPrintable(
            picker->objectName() +
            QStringLiteral(": %1 of %2").arg(metrics.horizontalAdvance(widestDate)).arg(room)));
  }
}

void LayoutTest::outOfFocusLooksAsInFocus_data() {
  QTest::addColumn<QPalette::ColorRole>("role");
  QTest::newRow("captions") << QPalette::WindowText;
  QTest::newRow("field text") << QPalette::Text;
  QTest::newRow("button text") << QPalette::ButtonText;
  QTest::newRow("fields") << QPalette::Base;
  QTest::newRow("window") << QPalette::Window;
  QTest::newRow("buttons") << QPalette::Button;
  QTest::newRow("result fields") << QPalette::Midlight;
  QTest::newRow("selection") << QPalette::Highlight;
}

// When another window has the focus, every control keeps its colours: none
// turns to the disabled grey.
void LayoutTest::outOfFocusLooksAsInFocus() {
  QFETCH(QPalette::ColorRole, role);
  Form1 form(FixedClock());
  QList<QWidget*> widgets = form.findChildren<QWidget*>();
  widgets << &form;
  for (const QWidget* widget : widgets) {
    const QPalette& palette = widget->palette();
    QVERIFY2(palette.color(QPalette::Inactive, role) == palette.color(QPalette::Active, role),
             qPrintable(widget->objectName()));
  }
}

void LayoutTest::controlsLieInsideTheWindow() {
  Form1& form = shown();
  for (QWidget* widget : NamedControls(form)) {
    QVERIFY2(form.rect().contains(PlaceInWindow(form, widget)), qPrintable(widget->objectName()));
  }
}

// A click lands on one control only.
void LayoutTest::focusableControlsDoNotOverlap() {
  Form1& form = shown();
  QList<QWidget*> focusable;
  for (QWidget* widget : NamedControls(form)) {
    if (widget->focusPolicy() != Qt::NoFocus) focusable << widget;
  }
  QVERIFY(focusable.size() >= 16);
  for (qsizetype i = 0; i < focusable.size(); ++i) {
    for (qsizetype j = i + 1; j < focusable.size(); ++j) {
      QVERIFY2(
          !ClickAreaInWindow(form, focusable[i]).intersects(ClickAreaInWindow(form, focusable[j])),
          qPrintable(focusable[i]->objectName() + " / " + focusable[j]->objectName()));
    }
  }
}

}  // namespace quillbary::testing

QTEST_MAIN(quillbary::testing::LayoutTest)
#include "layout_test.moc"
