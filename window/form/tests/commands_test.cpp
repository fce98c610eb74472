// 清空, the clock, and what each leaves alone.
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include "app/app_setup.h"
#include "form/form1.h"
#include "form/tests/form_driver.h"

Q_DECLARE_METATYPE(quillbary::LocalMoment)

namespace quillbary::testing {

namespace {
QDate DateOf(const Form1& form, const char* picker) {
  return qobject_cast<QDateEdit*>(form.control(picker))->date();
}

QLineEdit* Field(const Form1& form, const char* name) {
  return qobject_cast<QLineEdit*>(form.control(name));
}
}  // namespace

class CommandsTest : public FormFixture {
  Q_OBJECT

 private slots:
  void initTestCase();
  void clearAfterACalculation();
  void calculateRightAfterClearAsksForTheAmount();
  void clock_data();
  void clock();
  void clockReadsDateThenTime();
  void clockWritesOnlyWhatChanged();
};

void CommandsTest::initTestCase() {
  // As the program sets itself up, in whatever locale the test runs in.
  QVERIFY(SetUpApplication());
}

void CommandsTest::clearAfterACalculation() {
  Form1& form = shown();
  BoxCatcher catcher;
  Enter(form, WorkedExample());
  Click(form, "Command1");
  QCOMPARE(Text(form, "hj"), QStringLiteral("561.98"));
  QTRY_VERIFY(!Text(form, "Text2").isEmpty());
  const QString date = Text(form, "Text1");
  const QString time = Text(form, "Text2");

  Click(form, "Command2");

  for (const char* name : {"hkje", "ll", "zcts", "zclx", "yqts", "yqll", "yqlx", "hj"}) {
    QVERIFY2(Text(form, name).isEmpty(), name);
  }
  QVERIFY(qobject_cast<QLabel*>(form.control("l1"))->text().isEmpty());
  QVERIFY(form.control("l2")->isVisible());
  QVERIFY(!form.control("hj")->isVisible());
  QVERIFY(!form.control("l1")->isVisible());
  QCOMPARE(DateOf(form, "jkrq"), WorkedExample().loan);
  QCOMPARE(DateOf(form, "dqrq"), WorkedExample().due);
  QCOMPARE(DateOf(form, "hkrq"), WorkedExample().repaid);
  QCOMPARE(DateOf(form, "qxrq"), WorkedExample().start);
  QVERIFY(qobject_cast<QRadioButton*>(form.control("zjlx"))->isChecked());
  QCOMPARE(Text(form, "Text1"), date);
  QCOMPARE(Text(form, "Text2"), time);
  QCOMPARE(catcher.caught, QList<CaughtBox>{});
}

void CommandsTest::calculateRightAfterClearAsksForTheAmount() {
  Form1& form = shown();
  Enter(form, WorkedExample());
  {
    BoxCatcher catcher;
    Click(form, "Command1");
    Click(form, "Command2");
  }
  BoxCatcher catcher;
  Click(form, "Command1");
  QCOMPARE(catcher.caught, QList<CaughtBox>{Warning("请输入还款金额！")});
  QCOMPARE(Text(form, "zcts"), QString());
  QVERIFY(form.control("l2")->isVisible());
}

void CommandsTest::clock_data() {
  QTest::addColumn<LocalMoment>("now");
  QTest::addColumn<QString>("date");
  QTest::addColumn<QString>("time");
  QTest::newRow("midnight") << At(2026, 12, 8, 0, 0, 0) << "2026年12月8日"
                            << "0时00分00秒";
  QTest::newRow("a second before midnight") << At(2026, 12, 7, 23, 59, 59) << "2026年12月7日"
                                            << "23时59分59秒";
  QTest::newRow("one-digit month, day and hour") << At(2009, 3, 1, 9, 5, 7) << "2009年3月1日"
                                                 << "9时05分07秒";
}

void CommandsTest::clock() {
  QFETCH(LocalMoment, now);
  QFETCH(QString, date);
  QFETCH(QString, time);

  Form1 form([now] { return now; });
  QVERIFY(Text(form, "Text1").isEmpty());  // until the first tick
  QVERIFY(Text(form, "Text2").isEmpty());
  QTRY_COMPARE(Text(form, "Text1"), date);
  QTRY_COMPARE(Text(form, "Text2"), time);
}

void CommandsTest::clockReadsDateThenTime() {
  // The first reading of a tick falls before midnight, the second after.
  QList<LocalMoment> readings = {At(2026, 12, 7, 23, 59, 59), At(2026, 12, 8, 0, 0, 0)};
  Form1 form([&readings] { return readings.size() > 1 ? readings.takeFirst() : readings.first(); });
  form.timer1()->stop();
  form.timer1Timer();
  QCOMPARE(Text(form, "Text1"), QStringLiteral("2026年12月7日"));
  QCOMPARE(Text(form, "Text2"), QStringLiteral("0时00分00秒"));
  form.timer1Timer();
  QCOMPARE(Text(form, "Text1"), QStringLiteral("2026年12月8日"));
}

void CommandsTest::clockWritesOnlyWhatChanged() {
  LocalMoment now = At(2026, 12, 8, 9, 0, 0);
  Form1 form([&now] { return now; });
  form.timer1()->stop();
  QSignalSpy dateChanges(Field(form, "Text1"), &QLineEdit::textChanged);
  QSignalSpy timeChanges(Field(form, "Text2"), &QLineEdit::textChanged);
  for (int tick = 0; tick < 1000; ++tick) form.timer1Timer();
  now += std::chrono::seconds{1};
  for (int tick = 0; tick < 1000; ++tick) form.timer1Timer();
  QCOMPARE(dateChanges.size(), 1);
  QCOMPARE(timeChanges.size(), 2);
  QCOMPARE(Text(form, "Text2"), QStringLiteral("9时00分01秒"));
}

}  // namespace quillbary::testing

QTEST_MAIN(quillbary::testing::CommandsTest)
#include "commands_test.moc"
