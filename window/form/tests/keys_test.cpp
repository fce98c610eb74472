// The keys a clerk presses: Return, Enter and Space on the buttons, Return
// and Enter in the inputs, F4 and Alt+Down on the date pickers, Ctrl+Q, and
// Escape.
#include <QAbstractButton>
#include <QApplication>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QKeyEvent>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "app/app_setup.h"
#include "form/form1.h"
#include "form/tests/form_driver.h"

namespace quillbary::testing {

namespace {
constexpr int kStillRunning = 99;

// Presses `key` on `target` and holds it for `repeats` auto-repeats, each a
// release and a press marked as repeated, as the desktop sends a held key.
void PressAndHold(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers, int repeats) {
  QTest::keyPress(target, key, modifiers);
  const QString text = key == Qt::Key_Space ? QStringLiteral(" ") : QStringLiteral("\r");
  for (int i = 0; i < repeats; ++i) {
    for (QEvent::Type type : {QEvent::KeyRelease, QEvent::KeyPress}) {
      QKeyEvent repeat(type, key, modifiers, text, /*autorep=*/true);
      QApplication::sendEvent(target, &repeat);
    }
  }
  QTest::keyRelease(target, key, modifiers);
}

// Presses `key` on `target` from within the application's event loop and
// returns how the loop ended: with the program's exit status when the key
// ended the program, else with kStillRunning.
int PressInEventLoop(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers, bool ends,
                     int repeats = 0) {
  QTimer::singleShot(0, target, [=] {
    PressAndHold(target, key, modifiers, repeats);
    if (!ends) QCoreApplication::exit(kStillRunning);
  });
  // A key that should end the program and does not gives up after ten seconds.
  QTimer::singleShot(10'000, target, [] { QCoreApplication::exit(kStillRunning); });
  return QApplication::exec();
}
}  // namespace

class KeysTest : public FormFixture {
  Q_OBJECT

 private slots:
  void initTestCase();
  void keysPressTheFocusedButton_data();
  void keysPressTheFocusedButton();
  void enterInAnInputCalculates_data();
  void enterInAnInputCalculates();
  void ctrlQEndsTheProgram();
  void datePickerKeys_data();
  void datePickerKeys();
  void escapeDoesNothingInTheWindow();
  void escapeClosesABoxAsOkDoes();
};

void KeysTest::initTestCase() {
  QVERIFY(SetUpApplication());
}

void KeysTest::keysPressTheFocusedButton_data() {
  QTest::addColumn<Qt::Key>("key");
  QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
  QTest::addColumn<QString>("button");
  QTest::addColumn<bool>("ends");
  QTest::addColumn<QString>("hj");     // the total afterwards
  QTest::addColumn<QString>("hkje");   // the amount afterwards
  QTest::addColumn<QString>("focus");  // where the focus is afterwards
  QTest::addColumn<int>("repeats");    // auto-repeats while the key is held
  QTest::addColumn<int>("clicks");     // how often the button is pressed

  const struct {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
  } keys[] = {{"Return", Qt::Key_Return, Qt::NoModifier},
              {"Enter", Qt::Key_Enter, Qt::KeypadModifier},
              {"Space", Qt::Key_Space, Qt::NoModifier}};
  for (const auto& press : keys) {
    const auto row = [&press](const char* button) -> QTestData& {
      return QTest::addRow("%s on %s", press.name, button)
             << press.key << press.modifiers << button;
    };
    row("Command1") << false << "561.98"
                    << "10000"
                    << "Command1" << 0 << 1;  // 开始计算
    row("Command2") << false << ""
                    << ""
                    << "jkrq" << 0 << 1;  // 清空: back to the first field
    row("Command3") << true << ""
                    << "10000"
                    << "" << 0 << 1;  // 退出
    // Held down: the desktop repeats the key, the button is pressed once.
    QTest::addRow("%s held on Command1", press.name)
        << press.key << press.modifiers << "Command1" << false << "561.98"
        << "10000" << "Command1" << 5 << 1;
  }
}

void KeysTest::keysPressTheFocusedButton() {
  QFETCH(Qt::Key, key);
  QFETCH(Qt::KeyboardModifiers, modifiers);
  QFETCH(QString, button);
  QFETCH(bool, ends);
  QFETCH(QString, hj);
  QFETCH(QString, hkje);
  QFETCH(QString, focus);
  QFETCH(int, repeats);
  QFETCH(int, clicks);

  Form1& form = shown();
  BoxCatcher catcher;
  Enter(form, WorkedExample());
  QWidget* target = form.control(button.toStdString());
  target->setFocus();
  QSignalSpy pressed(qobject_cast<QAbstractButton*>(target), &QAbstractButton::clicked);

  QCOMPARE(PressInEventLoop(target, key, modifiers, ends, repeats), ends ? 0 : kStillRunning);
  QCOMPARE(pressed.size(), clicks);
  QCOMPARE(Text(form, "hj"), hj);
  QCOMPARE(Text(form, "hkje"), hkje);
  QCOMPARE(catcher.caught, QList<CaughtBox>{});
  // The window's own focus: under a desktop that hands activation around
  // (Wine), the application may have no active window for a moment.
  if (!ends) QCOMPARE(form.focusWidget(), form.control(focus.toStdString()));
}

void KeysTest::enterInAnInputCalculates_data() {
  QTest::addColumn<QString>("input");
  QTest::addColumn<Qt::Key>("key");
  QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
  QTest::addColumn<QString>("hj");  // the total afterwards
  QTest::newRow("Return in the amount")
      << "hkje" << Qt::Key_Return << Qt::KeyboardModifiers() << "561.98";
  QTest::newRow("keypad Enter in the rate")
      << "ll" << Qt::Key_Enter << Qt::KeyboardModifiers(Qt::KeypadModifier) << "561.98";
  QTest::newRow("Return in a picker")
      << "qxrq" << Qt::Key_Return << Qt::KeyboardModifiers() << "561.98";
  QTest::newRow("Ctrl+Return is left to the input")
      << "hkje" << Qt::Key_Return << Qt::KeyboardModifiers(Qt::ControlModifier) << "";
  QTest::newRow("Return in a result field does nothing")
      << "zclx" << Qt::Key_Return << Qt::KeyboardModifiers() << "";
}

void KeysTest::enterInAnInputCalculates() {
  QFETCH(QString, input);
  QFETCH(Qt::Key, key);
  QFETCH(Qt::KeyboardModifiers, modifiers);
  QFETCH(QString, hj);

  Form1& form = shown();
  BoxCatcher catcher;
  Enter(form, WorkedExample());
  QWidget* target = form.control(input.toStdString());
  target->setFocus();
  QTest::keyClick(target, key, modifiers);
  QCOMPARE(Text(form, "hj"), hj);
  QCOMPARE(catcher.caught, QList<CaughtBox>{});
}

void KeysTest::ctrlQEndsTheProgram() {
  Form1& form = shown();
  TypeText(form, "hkje", QStringLiteral("10000"));  // the focus in a field, and nothing asked
  QCOMPARE(PressInEventLoop(form.control("hkje"), Qt::Key_Q, Qt::ControlModifier, true), 0);
}

void KeysTest::datePickerKeys_data() {
  QTest::addColumn<Qt::Key>("key");
  QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
  QTest::addColumn<bool>("opens");
  QTest::addColumn<QDate>("date");  // the picker's date afterwards
  QTest::newRow("F4 opens the calendar")
      << Qt::Key_F4 << Qt::KeyboardModifiers() << true << QDate(2005, 1, 1);
  QTest::newRow("Alt+Down opens the calendar")
      << Qt::Key_Down << Qt::KeyboardModifiers(Qt::AltModifier) << true << QDate(2005, 1, 1);
  QTest::newRow("Down steps the year")
      << Qt::Key_Down << Qt::KeyboardModifiers() << false << QDate(2004, 1, 1);
}

void KeysTest::datePickerKeys() {
  QFETCH(Qt::Key, key);
  QFETCH(Qt::KeyboardModifiers, modifiers);
  QFETCH(bool, opens);
  QFETCH(QDate, date);

  Form1& form = shown();
  auto* picker = qobject_cast<QDateEdit*>(form.control("dqrq"));
  picker->setFocus();
  picker->setSelectedSection(QDateTimeEdit::YearSection);
  QTest::keyClick(picker, key, modifiers);
  QCOMPARE(picker->calendarWidget()->isVisible(), opens);
  QCOMPARE(picker->date(), date);
  if (!opens) return;
  // The calendar has the keyboard, and picks the date.
  const QWidget* popup = picker->calendarWidget()->window();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);  // the next day
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  QTRY_VERIFY(!popup->isVisible());
  QCOMPARE(picker->date(), QDate(2005, 1, 2));
}

void KeysTest::escapeDoesNothingInTheWindow() {
  Form1& form = shown();
  BoxCatcher catcher;
  Enter(form, WorkedExample());
  Click(form, "Command1");
  const auto fields = [&form] {
    QStringList texts;
    for (const char* name : {"hkje", "ll", "zcts", "zclx", "yqts", "yqll", "yqlx", "hj"}) {
      texts << Text(form, name);
    }
    return texts;
  };
  const QStringList before = fields();
  // Through every stop of the tab order.
  for (int stop = 0; stop < 16; ++stop) {
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus, Qt::Key_Escape);
    QVERIFY2(form.isVisible(), qPrintable(focus->objectName()));
    QCOMPARE(QApplication::focusWidget(), focus);
    QTest::keyClick(focus, Qt::Key_Tab);
  }
  QCOMPARE(fields(), before);
  QCOMPARE(catcher.caught, QList<CaughtBox>{});
}

void KeysTest::escapeClosesABoxAsOkDoes() {
  Form1& form = shown();
  // Escape is pressed on the box once; a box still open after that is closed
  // with its button so that the test goes on.
  QString shown;
  QString pressed;
  int escapes = 0;
  QTimer poll;
  connect(&poll, &QTimer::timeout, &form, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    if (escapes++ > 0) {
      box->buttons().first()->click();
      return;
    }
    shown = box->text();
    connect(box, &QMessageBox::buttonClicked, box,
            [&pressed](QAbstractButton* button) { pressed = button->text(); });
    QTest::keyClick(box, Qt::Key_Escape);
  });
  poll.start(5);
  Click(form, "Command1");  // with no amount: a warning
  QCOMPARE(shown, QStringLiteral("请输入还款金额！"));
  QCOMPARE(escapes, 1);
  QCOMPARE(pressed, QStringLiteral("确定"));
}

}  // namespace quillbary::testing

QTEST_MAIN(quillbary::testing::KeysTest)
#include "keys_test.moc"
