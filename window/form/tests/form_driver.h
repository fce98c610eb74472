// Drives the window in tests as a clerk would: keys into the fields, clicks
// on the options and buttons, and every box that pops up caught and closed.
#pragma once

#include <QApplication>
#include <QDate>
#include <QImage>
#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "form/form1.h"

namespace quillbary::testing {

// A moment of the local clock.
LocalMoment At(int year, unsigned month, unsigned day, int hour, int minute, int second);

// A window whose clock stands still at 2009-03-01 09:05:07.
ClockSource FixedClock();

QString Text(const Form1& form, const char* name);

// The base of a test class whose every test starts with a window on the
// fixed clock, shown and active: init() opens it, cleanup() closes it.
class FormFixture : public QObject {
  Q_OBJECT

 protected:
  Form1& shown() { return *form_; }

 private slots:
  void init();
  void cleanup();

 private:
  std::unique_ptr<Form1> form_;
};

// The window as painted, cut to the box of the control `name`.
QImage Painted(Form1& form, const char* name);

// How many pixels of `image` are of a strong colour within 30 degrees of
// `hue` (0 red, 240 blue): text of that colour, not black, grey or the
// emblem's pale tints.
int PixelsOfHue(const QImage& image, int hue);

// Types `date` into the picker as the clerk would, from its year field on.
void TypeDate(Form1& form, const char* picker, QDate date);
// Replaces the text of an input field by typing.
void TypeText(Form1& form, const char* field, const QString& text);
// A left click in the middle of the control.
void Click(Form1& form, const char* name);

struct Inputs {
  QDate loan, due, repaid, start;
  QString amount, rate;
  const char* method = nullptr;  // "zjlx", "hbjx" or none
};
void Enter(Form1& form, const Inputs& inputs);

// The worked example: loan and interest start 2009-01-01, due 2009-07-01,
// repaid 2009-09-30, 10000 at 5.31 per mille a month, by `method`.
Inputs WorkedExample(const char* method = "zjlx");

// What a box showed when it was caught.
struct CaughtBox {
  QString title;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QString text;
  QStringList buttons;
  QString snapshot;  // what BoxCatcher's snapshot function saw at that moment
  QString detail;    // the line under the text

  bool operator==(const CaughtBox&) const = default;
};

// While it lives, catches every modal box as soon as it opens, records it and
// closes it with its first button, so that a test never hangs on a box,
// expected or not; the test then compares what was caught.
class BoxCatcher : public QObject {
 public:
  explicit BoxCatcher(std::function<QString()> snapshot = {});
  QList<CaughtBox> caught;

 private:
  void poll();
  std::function<QString()> snapshot_;
  QTimer timer_;
};

// Runs `press` and returns what `look` saw of the first modal window that
// opened, closing it.
QString FromModal(const std::function<void()>& press, const std::function<QString(QWidget*)>& look);

CaughtBox Warning(const QString& text, const QString& snapshot = {});

// How QCOMPARE prints a caught box.
char* toString(const CaughtBox& box);

}  // namespace quillbary::testing

#ifdef _WIN32
namespace quillbary::testing {
// Ends the program with `result` at once, without unloading its DLLs.
[[noreturn]] void EndWith(int result);
}  // namespace quillbary::testing

// Under Wine a test program whose tests are over sometimes never ends: it
// waits as the application is taken down or its DLLs are unloaded (two
// winpthread copies, the program's and Qt's). Its result is known by then,
// and it ends with it; the application is never taken down.
#undef QTEST_MAIN
#define QTEST_MAIN(TestObject)                            \
  static int RunTests(int argc, char* argv[]) {           \
    auto* app = new QApplication(argc, argv);             \
    app->setAttribute(Qt::AA_Use96Dpi, true);             \
    TestObject tc;                                        \
    QTEST_SET_MAIN_SOURCE_PATH                            \
    return QTest::qExec(&tc, argc, argv);                 \
  }                                                       \
  int main(int argc, char* argv[]) { quillbary::testing::EndWith(RunTests(argc, argv)); }
#endif
