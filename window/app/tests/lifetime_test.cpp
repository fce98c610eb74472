// The program ends as a whole: by 退出, or by closing its window.
#include <QApplication>
#include <QTest>
#include <QTimer>

#include "form/form1.h"
#include "form/tests/form_driver.h"

namespace quillbary::testing {

namespace {
constexpr int kStillRunning = 99;

// Runs the application's event loop until something ends it, or gives up
// after ten seconds with kStillRunning.
int RunUntilEnded() {
  QTimer::singleShot(10'000, [] { QCoreApplication::exit(kStillRunning); });
  return QApplication::exec();
}
}  // namespace

class LifetimeTest : public FormFixture {
  Q_OBJECT

 private slots:
  void exitEndsTheProgram();
  void closingTheWindowEndsTheProgram();
};

void LifetimeTest::exitEndsTheProgram() {
  Form1& form = shown();
  TypeText(form, "hkje", QStringLiteral("10000"));  // nothing is asked about it
  QTimer::singleShot(0, &form, [&form] { Click(form, "Command3"); });
  QCOMPARE(RunUntilEnded(), 0);
}

void LifetimeTest::closingTheWindowEndsTheProgram() {
  Form1& form = shown();
  QTimer::singleShot(0, &form, [&form] { form.close(); });
  QCOMPARE(RunUntilEnded(), 0);
  QVERIFY(!form.isVisible());
}

}  // namespace quillbary::testing

QTEST_MAIN(quillbary::testing::LifetimeTest)
#include "lifetime_test.moc"
