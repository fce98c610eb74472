#include "form/tests/form_driver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDateEdit>
#include <QDialog>
#include <QLineEdit>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace quillbary::testing {

LocalMoment At(int year, unsigned month, unsigned day, int hour, int minute, int second) {
  using namespace std::chrono;
  return local_days{std::chrono::year{year} / std::chrono::month{month} / std::chrono::day{day}} +
         hours{hour} + minutes{minute} + seconds{second};
}

ClockSource FixedClock() {
  return [] { return At(2009, 3, 1, 9, 5, 7); };
}

QString Text(const Form1& form, const char* name) {
  return qobject_cast<QLineEdit*>(form.control(name))->text();
}

void FormFixture::init() {
  form_ = std::make_unique<Form1>(FixedClock());
  form_->show();
  QVERIFY(QTest::qWaitForWindowActive(form_.get()));
}

void FormFixture::cleanup() {
  form_.reset();
}

QImage Painted(Form1& form, const char* name) {
  const QWidget* widget = form.control(name);
  return form.grab(QRect(widget->mapTo(&form, QPoint(0, 0)), widget->size())).toImage();
}

int PixelsOfHue(const QImage& image, int hue) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor colour = image.pixelColor(x, y);
      const int distance = std::abs(colour.hsvHue() - hue);
      if (colour.hsvHue() >= 0 && std::min(distance, 360 - distance) <= 30 &&
          colour.hsvSaturation() >= 160 && colour.value() >= 120) {
        ++count;
      }
    }
  }
  return count;
}

void TypeDate(Form1& form, const char* picker, QDate date) {
  auto* edit = qobject_cast<QDateEdit*>(form.control(picker));
  edit->setFocus();
  // From the year on, each full field moves the typing on to the next.
  edit->setSelectedSection(QDateTimeEdit::YearSection);
  QTest::keyClicks(edit, date.toString(QStringLiteral("yyyyMMdd")));
  QTest::keyClick(edit, Qt::Key_Tab);
  QCOMPARE(edit->date(), date);
}

void TypeText(Form1& form, const char* field, const QString& text) {
  auto* edit = qobject_cast<QLineEdit*>(form.control(field));
  QTest::mouseClick(edit, Qt::LeftButton);
  QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(edit, Qt::Key_Delete);
  QTest::keyClicks(edit, text);
}

void Click(Form1& form, const char* name) {
  QWidget* widget = form.control(name);
  QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, widget->rect().center());
}

void Enter(Form1& form, const Inputs& inputs) {
  TypeDate(form, "jkrq", inputs.loan);
  TypeDate(form, "dqrq", inputs.due);
  TypeDate(form, "hkrq", inputs.repaid);
  TypeDate(form, "qxrq", inputs.start);
  TypeText(form, "hkje", inputs.amount);
  TypeText(form, "ll", inputs.rate);
  if (inputs.method != nullptr) Click(form, inputs.method);
}

Inputs WorkedExample(const char* method) {
  return {QDate(2009, 1, 1), QDate(2009, 7, 1),        QDate(2009, 9, 30),
          QDate(2009, 1, 1), QStringLiteral("10000"), QStringLiteral("5.31"),
          method};
}

BoxCatcher::BoxCatcher(std::function<QString()> snapshot) : snapshot_(std::move(snapshot)) {
  connect(&timer_, &QTimer::timeout, this, &BoxCatcher::poll);
  timer_.start(5);
}

void BoxCatcher::poll() {
  QWidget* modal = QApplication::activeModalWidget();
  if (modal == nullptr) return;
  auto* box = qobject_cast<QMessageBox*>(modal);
  if (box == nullptr) {
    caught.append({modal->windowTitle(),
                   QMessageBox::NoIcon,
                   QStringLiteral("not a message box"),
                   {},
                   {},
                   {}});
    modal->close();
    return;
  }
  CaughtBox seen{box->windowTitle(), box->icon(), box->text(), {}, {}, box->informativeText()};
  for (QAbstractButton* button : box->buttons()) seen.buttons << button->text();
  if (snapshot_) seen.snapshot = snapshot_();
  caught.append(seen);
  box->buttons().first()->click();
}

CaughtBox Warning(const QString& text, const QString& snapshot) {
  return {
      QStringLiteral("提示"), QMessageBox::Warning, text, {QStringLiteral("确定")}, snapshot, {}};
}

char* toString(const CaughtBox& box) {
  const QString text = QStringLiteral("{%1, icon %2, \"%3\", [%4], \"%5\", \"%6\"}")
                           .arg(box.title)
                           .arg(static_cast<int>(box.icon))
                           .arg(box.text, box.buttons.join(','), box.snapshot, box.detail);
  return qstrdup(text.toUtf8().constData());
}

QString FromModal(const std::function<void()>& press,
                  const std::function<QString(QWidget*)>& look) {
  QString seen;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) return;
    if (seen.isNull()) seen = look(modal);
    if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
  });
  poll.start(10);
  press();
  return seen;
}

}  // namespace quillbary::testing

#ifdef _WIN32
#include <windows.h>

void quillbary::testing::EndWith(int result) {
  std::fflush(nullptr);
  ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(result));
  std::_Exit(result);
}
#endif
