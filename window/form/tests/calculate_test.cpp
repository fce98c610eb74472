// 开始计算 through the window: keys and clicks in, fields and boxes out.
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "app/app_setup.h"
#include "form/controls/caption_label.h"
#include "form/form1.h"
#include "form/tests/form_driver.h"

Q_DECLARE_METATYPE(quillbary::testing::CaughtBox)
Q_DECLARE_METATYPE(quillbary::testing::Inputs)

namespace quillbary::testing {

namespace {
constexpr int kRedHue = 0;
constexpr int kBlueHue = 240;

QString Caption(const Form1& form) {
  return qobject_cast<QLabel*>(form.control("l1"))->text();
}

// The results, as one line for comparing.
QString Results(const Form1& form) {
  QStringList texts;
  for (const char* name : {"zcts", "zclx", "yqts", "yqll", "yqlx", "hj"}) {
    texts << Text(form, name);
  }
  return texts.join('|');
}
}  // namespace

class CalculateTest : public FormFixture {
  Q_OBJECT

 private slots:
  void initTestCase();
  void results_data();
  void results();
  void warnings_data();
  void warnings();
  void errorKeepsTheWindowAndTheInputs_data();
  void errorKeepsTheWindowAndTheInputs();
  void typingAndPickingCalculateNothing();
};

void CalculateTest::initTestCase() {
  // As the program sets itself up, in whatever locale the test runs in.
  QVERIFY(SetUpApplication());
}

void CalculateTest::results_data() {
  QTest::addColumn<Inputs>("inputs");
  QTest::addColumn<QString>("results");
  QTest::addColumn<QString>("caption");

  Inputs notOverdue = WorkedExample("zjlx");
  notOverdue.repaid = QDate(2009, 5, 20);
  QTest::newRow("worked example, interest only")
      << WorkedExample("zjlx") << "181|320.37|91| 7.965|241.61|561.98"
      << " 利息  合计";
  QTest::newRow("worked example, principal and interest")
      << WorkedExample("hbjx") << "181|320.37|91| 7.965|241.61|10561.98"
      << " 本息  合计";
  QTest::newRow("worked example, not overdue") << notOverdue << "139|246.03|0|0|0.|246.03"
                                               << " 利息  合计";
  Inputs grouped = WorkedExample("zjlx");
  grouped.amount = QStringLiteral("10,000");
  QTest::newRow("amount in thousands reads as its digits")
      << grouped << "181|320.37|91| 7.965|241.61|561.98"
      << " 利息  合计";
}

void CalculateTest::results() {
  QFETCH(Inputs, inputs);
  QFETCH(QString, results);
  QFETCH(QString, caption);

  Form1& form = shown();
  BoxCatcher boxes;
  Enter(form, inputs);
  Click(form, "Command1");

  QCOMPARE(boxes.caught, QList<CaughtBox>{});
  QCOMPARE(Results(form), results);
  QCOMPARE(Caption(form), caption);
  // In its place the caption stands on two lines, broken at its blanks.
  QCOMPARE(qobject_cast<CaptionLabel*>(form.control("l1"))->lines(),
           caption.split(QStringLiteral("  ")));
  QVERIFY(form.control("hj")->isVisible());
  QVERIFY(form.control("l1")->isVisible());
  QVERIFY(!form.control("l2")->isVisible());
  QCOMPARE(Text(form, "hkje"), inputs.amount);
  QCOMPARE(Text(form, "ll"), inputs.rate);

  // What the clerk sees: the caption in red, on lines that fit its box; the
  // figures in blue.
  QVERIFY(PixelsOfHue(Painted(form, "l1"), kRedHue) > 0);
  auto* label = qobject_cast<CaptionLabel*>(form.control("l1"));
  for (const QString& line : label->lines()) {
    QVERIFY2(label->fontMetrics().horizontalAdvance(line) <= label->contentsRect().width(),
             qPrintable(line));
  }
  for (const char* name : {"zcts", "zclx", "yqts", "yqll", "hj"}) {
    QVERIFY2(PixelsOfHue(Painted(form, name), kBlueHue) > 0, name);
  }
  QCOMPARE(PixelsOfHue(Painted(form, "yqlx"), kBlueHue), 0);
}

void CalculateTest::warnings_data() {
  QTest::addColumn<Inputs>("inputs");
  QTest::addColumn<QList<CaughtBox>>("boxes");
  QTest::addColumn<QString>("results");  // after the last box
  QTest::addColumn<QString>("focus");    // the field the first warning names

  const QString none = "|||||";
  Inputs noAmount = WorkedExample("zjlx");
  noAmount.amount.clear();
  QTest::newRow("no amount stops")
      << noAmount << QList{Warning("请输入还款金额！", none)} << none << "hkje";

  Inputs noRate = WorkedExample("zjlx");
  noRate.rate.clear();
  QTest::newRow("no rate stops") << noRate << QList{Warning("请输入利率！", none)} << none << "ll";

  Inputs dueBeforeLoan = WorkedExample("zjlx");
  dueBeforeLoan.loan = QDate(2009, 8, 1);
  QTest::newRow("due before loan goes on")
      << dueBeforeLoan << QList{Warning("到款日期不能小于借款日期！", "|||||")}
      << "181|320.37|91| 7.965|241.61|561.98"
      << "dqrq";

  Inputs repaidBeforeLoan = WorkedExample("zjlx");
  repaidBeforeLoan.loan = QDate(2009, 6, 1);
  repaidBeforeLoan.repaid = QDate(2009, 5, 20);
  QTest::newRow("repaid before loan goes on")
      << repaidBeforeLoan << QList{Warning("还款日期不能小于借款日期！", "|||||")}
      << "139|246.03|0|0|0.|246.03"
      << "hkrq";

  Inputs startBeforeLoan = WorkedExample("zjlx");
  startBeforeLoan.loan = QDate(2009, 1, 2);
  QTest::newRow("start before loan goes on")
      << startBeforeLoan << QList{Warning("起息日期为能小于借款日期！", "|||||")}
      << "181|320.37|91| 7.965|241.61|561.98"
      << "qxrq";

  Inputs startAfterRepaid = WorkedExample("zjlx");
  startAfterRepaid.start = QDate(2009, 10, 30);
  QTest::newRow("start after repayment goes on")
      << startAfterRepaid << QList{Warning("起息日期不能大于还款日期！", "|||||")}
      << "0|0.|-30| 7.965|-79.65|-79.65"
      << "qxrq";

  // The method warning comes after the fields are written: the box stands
  // over the day counts and the unrounded interests.
  QTest::newRow("no method goes on without a total")
      << WorkedExample(nullptr)
      << QList{Warning("请选择还款方式！", "181| 320.37|91| 7.965| 241.605|")}
      << "181|320.37|91| 7.965|241.61|"
      << "zjlx";

  Inputs twoWarnings = WorkedExample(nullptr);
  twoWarnings.loan = QDate(2009, 8, 1);
  QTest::newRow("date and method warnings in order")
      << twoWarnings
      << QList{Warning("到款日期不能小于借款日期！", "|||||"),
               Warning("请选择还款方式！", "181| 320.37|91| 7.965| 241.605|")}
      << "181|320.37|91| 7.965|241.61|"
      << "dqrq";

  // Inputs that are not numbers stop before anything is written.
  Inputs letters = WorkedExample("zjlx");
  letters.amount = QStringLiteral("12abc");
  QTest::newRow("amount with letters refused")
      << letters
      << QList{Warning("还款金额“12abc”不是数字。请只填数字，如 10000 或 10,000.00。", none)}
      << none << "hkje";
  Inputs decimalComma = WorkedExample("zjlx");
  decimalComma.rate = QStringLiteral("5,31");
  QTest::newRow("rate with a decimal comma refused")
      << decimalComma
      << QList{Warning("月利率“5,31”不是数字。请填月利率的千分数，如 5.31（不带 % 或 ‰）。", none)}
      << none << "ll";
  Inputs percent = WorkedExample("zjlx");
  percent.rate = QStringLiteral("5%");
  QTest::newRow("percent rate refused")
      << percent
      << QList{Warning("月利率“5%”不是数字。请填月利率的千分数，如 5.31（不带 % 或 ‰）。", none)}
      << none << "ll";
}

void CalculateTest::warnings() {
  QFETCH(Inputs, inputs);
  QFETCH(QList<CaughtBox>, boxes);
  QFETCH(QString, results);
  QFETCH(QString, focus);

  Form1& form = shown();
  Enter(form, inputs);
  BoxCatcher catcher([&form] { return Results(form); });
  Click(form, "Command1");

  QCOMPARE(catcher.caught, boxes);
  QCOMPARE(Results(form), results);
  // The clerk is put on the field the warning names, its text ready to be
  // typed over.
  QWidget* field = form.control(focus.toStdString());
  QCOMPARE(form.focusWidget(), field);
  if (auto* text = qobject_cast<QLineEdit*>(field)) QCOMPARE(text->selectedText(), text->text());
  QCOMPARE(form.control("hj")->isVisible(), !Text(form, "hj").isEmpty());
  QCOMPARE(form.control("l2")->isVisible(), Text(form, "hj").isEmpty());
}

void CalculateTest::errorKeepsTheWindowAndTheInputs_data() {
  QTest::addColumn<Inputs>("inputs");
  QTest::addColumn<QString>("message");
  QTest::addColumn<QString>("results");  // as the error left them
  QTest::addColumn<QString>("detail");   // the line under the message

  Inputs huge = WorkedExample("zjlx");
  huge.amount = QStringLiteral("1e300");
  huge.rate = QStringLiteral("1e300");
  QTest::newRow("interest beyond the range")
      << huge << "运行时错误 '6':\n\n溢出"
      << "181||91| 1.5E+300||"
      << "出错的栏目：正常利息。计算已停止，输入的内容都已保留。";

  Inputs hugeAmount = WorkedExample("zjlx");
  hugeAmount.amount = QStringLiteral("1,000e400");
  QTest::newRow("amount beyond the range")
      << hugeAmount << "运行时错误 '6':\n\n溢出"
      << "181||91| 7.965||"
      << "出错的栏目：还款金额。计算已停止，输入的内容都已保留。";
}

void CalculateTest::errorKeepsTheWindowAndTheInputs() {
  QFETCH(Inputs, inputs);
  QFETCH(QString, message);
  QFETCH(QString, results);
  QFETCH(QString, detail);

  Form1& form = shown();
  Enter(form, inputs);
  {
    BoxCatcher catcher;
    Click(form, "Command1");
    QCOMPARE(catcher.caught.size(), 1);
    const CaughtBox& box = catcher.caught.first();
    QCOMPARE(box.title, QStringLiteral("Quillbary"));
    QCOMPARE(box.icon, QMessageBox::Critical);
    QCOMPARE(box.text, message);
    QCOMPARE(box.buttons, QStringList{"确定"});
    QCOMPARE(box.detail, detail);
  }
  QVERIFY(form.isVisible());
  QCOMPARE(Results(form), results);
  QCOMPARE(Text(form, "hkje"), inputs.amount);
  QCOMPARE(Text(form, "ll"), inputs.rate);

  // The clerk mends the rate and goes on in the same window.
  BoxCatcher catcher;
  TypeText(form, "hkje", QStringLiteral("10000"));
  TypeText(form, "ll", QStringLiteral("5.31"));
  Click(form, "Command1");
  QCOMPARE(catcher.caught, QList<CaughtBox>{});
  QVERIFY(form.control("hj")->isVisible());
}

void CalculateTest::typingAndPickingCalculateNothing() {
  Form1& form = shown();
  BoxCatcher catcher;
  Enter(form, WorkedExample("zjlx"));
  Click(form, "Command1");
  const QString shown = Results(form);
  Enter(form, {QDate(2010, 1, 1), QDate(2010, 2, 1), QDate(2010, 3, 1), QDate(2010, 1, 1),
               QStringLiteral("1"), QStringLiteral("1"), "hbjx"});
  QCOMPARE(Results(form), shown);
  QCOMPARE(Caption(form), QStringLiteral(" 利息  合计"));
  QCOMPARE(catcher.caught, QList<CaughtBox>{});
}

}  // namespace quillbary::testing

QTEST_MAIN(quillbary::testing::CalculateTest)
#include "calculate_test.moc"
