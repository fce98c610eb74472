// Dates typed into a picker as the clerk reads them, key by key.
#include <QApplication>
#include <QDateEdit>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTest>
#include <QWheelEvent>

#include "app/app_setup.h"
#include "form/form1.h"
#include "form/tests/form_driver.h"

namespace quillbary::testing {

namespace {
// Each character as its own key press and release, as a keyboard or an
// input method delivers it; characters beyond Latin-1 (年) included.
void TypeKeys(QWidget* target, const QString& text) {
  for (const QChar c : text) {
    const Qt::Key key = c.isDigit()          ? Qt::Key(Qt::Key_0 + c.digitValue())
                        : c.unicode() < 0x80 ? Qt::Key(c.toUpper().unicode())
                                             : Qt::Key_unknown;
    QTest::sendKeyEvent(QTest::Click, target, key, QString(c), Qt::NoModifier);
  }
}

// Each character committed by an input method, as a Chinese one commits 年.
void Commit(QObject* target, const QString& text) {
  for (const QChar c : text) {
    QInputMethodEvent event;
    event.setCommitString(QString(c));
    QApplication::sendEvent(target, &event);
  }
}

QDateEdit* Picker(Form1& form, const char* name) {
  return qobject_cast<QDateEdit*>(form.control(name));
}
}  // namespace

class DatesTest : public FormFixture {
  Q_OBJECT

 private slots:
  void initTestCase();
  void typedFromTheYear_data();
  void typedFromTheYear();
  void aStepAfterTypingHolds();
  void focusByTabSelectsTheYear_data();
  void focusByTabSelectsTheYear();
  void typedFromAnySection_data();
  void typedFromAnySection();
};

void DatesTest::initTestCase() {
  QVERIFY(SetUpApplication());
}

void DatesTest::typedFromTheYear_data() {
  QTest::addColumn<QDate>("before");  // the picker's date when the typing starts
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QDate>("date");      // the picker's date once Tab leaves it
  QTest::addColumn<bool>("committed");  // by an input method, not by keys

  const QDate start(2005, 1, 1);
  const QDate feb4(2011, 2, 4);
  QTest::newRow("dashes as shown") << start << "2011-02-04" << feb4 << false;
  QTest::newRow("dashes, one-digit month and day") << start << "2011-2-4" << feb4 << false;
  QTest::newRow("slashes") << start << "2011/2/4" << feb4 << false;
  QTest::newRow("dots") << start << "2011.2.4" << feb4 << false;
  QTest::newRow("digits only") << start << "20110204" << feb4 << false;
  QTest::newRow("year month day in Chinese") << start << "2011年2月4日" << feb4 << false;
  QTest::newRow("two-digit month then its dash")
      << start << "2011-12-4" << QDate(2011, 12, 4) << false;
  QTest::newRow("a dash after the last day changes nothing")
      << start << "2011-2-4-" << feb4 << false;
  QTest::newRow("a dash more after the month is no minus") << start << "2011-2--4" << feb4 << false;
  QTest::newRow("from the 31st into a shorter month")
      << QDate(2005, 1, 31) << "2011-02-04" << feb4 << false;
  QTest::newRow("30 February keeps the date it had") << start << "2009-02-30" << start << false;
  QTest::newRow("29 February of a common year keeps the date it had")
      << QDate(2010, 5, 6) << "2009-2-29" << QDate(2010, 5, 6) << false;
  QTest::newRow("29 February of a leap year")
      << start << "2008-2-29" << QDate(2008, 2, 29) << false;
  QTest::newRow("month 13 keeps the date it had") << start << "2009-13-01" << start << false;
  QTest::newRow("a year before the pickers' range keeps the date it had")
      << start << "11-2-4" << start << false;
  QTest::newRow("year month day committed by an input method")
      << start << "２０１１年２月４日" << feb4 << true;
}

void DatesTest::typedFromTheYear() {
  QFETCH(QDate, before);
  QFETCH(QString, typed);
  QFETCH(QDate, date);
  QFETCH(bool, committed);

  Form1& form = shown();
  QDateEdit* picker = Picker(form, "dqrq");
  picker->setDate(before);
  picker->setFocus();
  picker->setSelectedSection(QDateTimeEdit::YearSection);
  if (committed) {
    Commit(QApplication::focusObject(), typed);
  } else {
    TypeKeys(picker, typed);
  }
  QTest::keyClick(picker, Qt::Key_Tab);

  QVERIFY(!picker->hasFocus());
  QCOMPARE(picker->date(), date);
  QCOMPARE(picker->text(), date.toString(QStringLiteral("yyyy-MM-dd")));
}

void DatesTest::aStepAfterTypingHolds() {
  Form1& form = shown();
  QDateEdit* picker = Picker(form, "dqrq");
  picker->setFocus();
  picker->setSelectedSection(QDateTimeEdit::YearSection);
  TypeKeys(picker, QStringLiteral("2011-2"));
  // The wheel steps a section of 2011-02-01.
  const QPointF middle = picker->rect().center();
  QWheelEvent wheel(middle, picker->mapToGlobal(middle), QPoint(), QPoint(0, 120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(picker, &wheel);
  const QDate stepped = picker->date();
  QVERIFY2(stepped != QDate(2011, 2, 1) && stepped.year() >= 2011, qPrintable(stepped.toString()));
  QTest::keyClick(picker, Qt::Key_Tab);
  QCOMPARE(picker->date(), stepped);
}

void DatesTest::focusByTabSelectsTheYear_data() {
  QTest::addColumn<QString>("from");  // the field the focus leaves
  QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
  QTest::newRow("Tab from the picker before") << "jkrq" << Qt::KeyboardModifiers(Qt::NoModifier);
  QTest::newRow("Shift+Tab from the picker after")
      << "hkrq" << Qt::KeyboardModifiers(Qt::ShiftModifier);
}

void DatesTest::focusByTabSelectsTheYear() {
  QFETCH(QString, from);
  QFETCH(Qt::KeyboardModifiers, modifiers);

  Form1& form = shown();
  QDateEdit* picker = Picker(form, "dqrq");
  // The clerk was last in the day of the picker.
  picker->setFocus();
  picker->setSelectedSection(QDateTimeEdit::DaySection);
  QWidget* before = form.control(from.toStdString());
  before->setFocus();
  QTest::keyClick(before, Qt::Key_Tab, modifiers);
  QCOMPARE(QApplication::focusWidget(), picker);

  TypeKeys(picker, QStringLiteral("20110204"));
  QCOMPARE(picker->date(), QDate(2011, 2, 4));
}

void DatesTest::typedFromAnySection_data() {
  QTest::addColumn<int>("section");  // where the cursor stands: a QDateTimeEdit::Section
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QDate>("date");
  QTest::addColumn<bool>("toldNotADate");
  const QDate start(2005, 1, 1);
  const QDate today(2024, 5, 20);
  const int month = QDateTimeEdit::MonthSection;
  const int day = QDateTimeEdit::DaySection;
  const int year = QDateTimeEdit::YearSection;
  QTest::newRow("whole date from the month") << month << "2024-05-20" << today << false;
  QTest::newRow("whole date from the day") << day << "2024-05-20" << today << false;
  QTest::newRow("digits only from the month") << month << "20240520" << today << false;
  QTest::newRow("in Chinese from the day") << day << "2024年5月20日" << today << false;
  QTest::newRow("month and day from the month") << month << "0520" << QDate(2005, 5, 20) << false;
  QTest::newRow("a day alone from the day") << day << "20" << QDate(2005, 1, 20) << false;
  QTest::newRow("month digit 3 moves on to the day") << year << "201134" << QDate(2011, 3, 4)
                                                     << false;
  QTest::newRow("a digit into a full day starts it again")
      << year << "2011-02-045" << QDate(2011, 2, 5) << false;
  QTest::newRow("no such date is told and keeps the date") << month << "2009-02-30" << start
                                                           << true;
  QTest::newRow("a letter is told") << day << "x" << start << true;
}

void DatesTest::typedFromAnySection() {
  QFETCH(int, section);
  QFETCH(QString, typed);
  QFETCH(QDate, date);
  QFETCH(bool, toldNotADate);

  Form1& form = shown();
  QDateEdit* picker = Picker(form, "dqrq");
  picker->setFocus();
  picker->setSelectedSection(QDateTimeEdit::Section(section));
  TypeKeys(picker, typed);
  QTest::keyClick(picker, Qt::Key_Tab);

  QCOMPARE(picker->date(), date);
  QCOMPARE(picker->text(), date.toString(QStringLiteral("yyyy-MM-dd")));
  QCOMPARE(!picker->toolTip().isEmpty(), toldNotADate);
}

}  // namespace quillbary::testing

QTEST_MAIN(quillbary::testing::DatesTest)
#include "dates_test.moc"
