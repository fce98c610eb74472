// Figures that no longer answer the inputs are drawn grey with a tip saying
// why, their texts untouched, until a calculation makes a total again.
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <map>

#include "app/app_setup.h"
#include "form/form1.h"
#include "form/tests/form_driver.h"

namespace quillbary::testing {
namespace {

const char* const kFigures[] = {"zcts", "zclx", "yqts", "yqll", "yqlx", "hj", "l1"};

// The colour a figure's text is drawn in.
QColor TextColour(const Form1& form, const char* name) {
  const QWidget* widget = form.control(name);
  const QPalette::ColorRole role =
      qobject_cast<const QLabel*>(widget) ? QPalette::WindowText : QPalette::Text;
  return widget->palette().color(role);
}

QStringList Texts(const Form1& form) {
  QStringList texts;
  for (const char* name : kFigures) {
    const QWidget* widget = form.control(name);
    const auto* label = qobject_cast<const QLabel*>(widget);
    texts << (label ? label->text() : qobject_cast<const QLineEdit*>(widget)->text());
  }
  return texts;
}

void Do(Form1& form, const QString& step) {
  if (step == "calc") {
    Click(form, "Command1");
  } else if (step == "repaid before loan") {
    TypeDate(form, "hkrq", QDate(2008, 12, 31));
  } else if (step == "repaid in order") {
    TypeDate(form, "hkrq", QDate(2009, 9, 30));
  } else if (step == "amount 1,0") {
    TypeText(form, "hkje", QStringLiteral("1,0"));
  } else if (step == "rate 6") {
    TypeText(form, "ll", QStringLiteral("6"));
  } else if (step == "clear") {
    Click(form, "Command2");
  } else {
    QFAIL(qPrintable("no such step: " + step));
  }
}

}  // namespace

class StaleLookTest : public FormFixture {
  Q_OBJECT

 private slots:
  void initTestCase() { QVERIFY(SetUpApplication()); }
  void figuresLookAsCurrentAsTheyAre_data();
  void figuresLookAsCurrentAsTheyAre();
};

void StaleLookTest::figuresLookAsCurrentAsTheyAre_data() {
  QTest::addColumn<QStringList>("steps");  // after the worked example is entered
  QTest::addColumn<QString>("tip");        // empty: the normal look
  const QString dates = QStringLiteral("日期顺序有误，结果不能作为计息依据");
  const QString changed = QStringLiteral("输入已改动，请重新开始计算");
  const QString refused = QStringLiteral("输入有误，结果不是这次输入算出的，请改正后重新开始计算");
  QTest::newRow("a total from dates in order") << QStringList{"calc"} << QString();
  QTest::newRow("dates out of order") << QStringList{"repaid before loan", "calc"} << dates;
  QTest::newRow("a refused amount after a total")
      << QStringList{"calc", "amount 1,0", "calc"} << refused;
  QTest::newRow("an input changed after a total") << QStringList{"calc", "rate 6"} << changed;
  QTest::newRow("a date changed after the dates warned")
      << QStringList{"repaid before loan", "calc", "repaid in order"} << changed;
  QTest::newRow("a total from dates in order again")
      << QStringList{"repaid before loan", "calc", "repaid in order", "calc"} << QString();
  QTest::newRow("cleared") << QStringList{"repaid before loan", "calc", "clear"} << QString();
  QTest::newRow("typing after clear greys nothing")
      << QStringList{"calc", "clear", "rate 6"} << QString();
}

void StaleLookTest::figuresLookAsCurrentAsTheyAre() {
  QFETCH(QStringList, steps);
  QFETCH(QString, tip);
  Form1& form = shown();
  BoxCatcher catcher;
  std::map<const char*, QColor> normal;  // as the window opened
  for (const char* name : kFigures) normal[name] = TextColour(form, name);
  Enter(form, WorkedExample());
  QStringList written;  // what the last calculation wrote
  for (const QString& step : steps) {
    Do(form, step);
    if (step == "calc" || step == "clear") written = Texts(form);
  }

  QCOMPARE(Texts(form), written);  // only the look changes
  for (const char* name : kFigures) {
    const QColor colour = TextColour(form, name);
    const bool grey = colour != normal[name] && colour.hsvSaturation() == 0;
    QVERIFY2(grey == !tip.isEmpty(), name);
    if (!tip.isEmpty()) QCOMPARE(form.control(name)->toolTip(), tip);
  }
}

}  // namespace quillbary::testing

QTEST_MAIN(quillbary::testing::StaleLookTest)
#include "stale_look_test.moc"
