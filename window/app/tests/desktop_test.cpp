// At home on any desktop: Qt's own texts in Chinese whatever the locale, and
// every text legible under a dark desktop palette.
#include <QApplication>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QIcon>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <memory>

#include "app/app_setup.h"
#include "app/deferred_icon.h"
#include "form/form1.h"
#include "form/tests/form_driver.h"

namespace quillbary::testing {

namespace {
// WCAG's relative luminance of an sRGB colour, and the contrast of two.
double Luminance(const QColor& colour) {
  const auto linear = [](double v) {
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
         0.0722 * linear(colour.blueF());
}

double Contrast(const QColor& a, const QColor& b) {
  const double first = Luminance(a);
  const double second = Luminance(b);
  return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

// A dark desktop: light text on dark grey windows, fields and buttons.
QPalette DarkPalette() {
  QPalette dark(QColor(0x35, 0x35, 0x35));
  dark.setColor(QPalette::Base, QColor(0x2a, 0x2a, 0x2a));
  return dark;
}

// A control's text as the window shows it. The window is drawn with the
// control's text and again with the text invisible; the pixels that differ
// are the text's. Its colour is that of the pixel that stands out most from
// what is behind it.
struct TextOnScreen {
  double contrast = 0;  // the lowest of a pixel of the text's colour with what is behind it
  double spread = 1;    // between the lightest and the darkest of what is behind the text
};

TextOnScreen MeasureText(Form1& form, QWidget* control) {
  const QRect place(control->mapTo(&form, QPoint(0, 0)), control->size());
  const QImage shown = form.grab(place).toImage();
  QPalette invisible = control->palette();
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
    invisible.setColor(role, Qt::transparent);
  }
  control->setPalette(invisible);
  const QImage behind = form.grab(place).toImage();

  QList<QPoint> text;
  QRgb textColour = 0;
  double highest = 0;
  double lightest = 0;
  double darkest = 1;
  for (int y = 0; y < shown.height(); ++y) {
    for (int x = 0; x < shown.width(); ++x) {
      if (shown.pixel(x, y) == behind.pixel(x, y)) continue;
      text << QPoint(x, y);
      const double contrast = Contrast(shown.pixelColor(x, y), behind.pixelColor(x, y));
      if (contrast > highest)
        std::tie(highest, textColour) = std::pair(contrast, shown.pixel(x, y));
      lightest = std::max(lightest, Luminance(behind.pixelColor(x, y)));
      darkest = std::min(darkest, Luminance(behind.pixelColor(x, y)));
    }
  }
  TextOnScreen measured{highest, text.isEmpty() ? 1 : (lightest + 0.05) / (darkest + 0.05)};
  for (const QPoint& at : text) {
    if (shown.pixel(at) != textColour) continue;
    measured.contrast =
        std::min(measured.contrast, Contrast(shown.pixelColor(at), behind.pixelColor(at)));
  }
  return measured;
}
}  // namespace

class DesktopTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void fieldMenuInChinese_data();
  void fieldMenuInChinese();
  void iconFollowsTheFirstPaint();
  void calendarsInSimplifiedChinese_data();
  void calendarsInSimplifiedChinese();
  void legibleUnderADarkPalette_data();
  void legibleUnderADarkPalette();
};

void DesktopTest::initTestCase() {
  QVERIFY2(SetUpApplication(), "Qt's Chinese translations are not installed");
}

void DesktopTest::fieldMenuInChinese_data() {
  QTest::addColumn<QStringList>("entries");
  const QStringList editing = {"撤消", "重做", "剪切", "复制", "粘贴", "删除", "全选"};
  QTest::newRow("hkje") << editing;                      // an input
  QTest::newRow("zcts") << QStringList{"复制", "全选"};  // a result, read only
}

void DesktopTest::fieldMenuInChinese() {
  QFETCH(QStringList, entries);

  Form1 form(FixedClock());
  auto* field = qobject_cast<QLineEdit*>(form.control(QTest::currentDataTag()));
  const std::unique_ptr<QMenu> menu(field->createStandardContextMenu());
  // Each entry without its access key, "(&C)", and its shortcut after a tab.
  static const QRegularExpression kDecoration(QStringLiteral("\\(&.\\)|\\t.*$"));
  QStringList shown;
  for (const QAction* action : menu->actions()) {
    if (!action->isSeparator()) shown << action->text().remove(kDecoration);
  }
  QCOMPARE(shown, entries);
}

void DesktopTest::iconFollowsTheFirstPaint() {
  const QIcon before = QApplication::windowIcon();
  const auto restore = qScopeGuard([&before] { QApplication::setWindowIcon(before); });
  QApplication::setWindowIcon(QIcon());
  Form1 form(FixedClock());
  SetWindowIconAfterFirstPaint(&form, QStringLiteral(":/icon.png"));
  QVERIFY(form.windowIcon().isNull());
  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  QTRY_VERIFY(!form.windowIcon().isNull());
  QCOMPARE(form.windowIcon().pixmap(48).size(), QSize(48, 48));
}

void DesktopTest::calendarsInSimplifiedChinese_data() {
  QTest::addColumn<QString>("shown");  // what the picker's calendar says, in its locale
  QTest::addColumn<QString>("expected");
  // The calendar of a picker as the window makes it, whatever the system's locale.
  Form1 form(FixedClock());
  const QLocale calendar =
      qobject_cast<QDateEdit*>(form.control("jkrq"))->calendarWidget()->locale();
  QTest::newRow("locale") << calendar.name() << "zh_CN";
  // Traditional Chinese would write 週一 and 1月.
  QTest::newRow("weekday") << calendar.dayName(1, QLocale::ShortFormat) << "周一";
  QTest::newRow("month") << calendar.monthName(1, QLocale::LongFormat) << "一月";
}

void DesktopTest::calendarsInSimplifiedChinese() {
  QFETCH(QString, shown);
  QFETCH(QString, expected);
  QCOMPARE(shown, expected);
}

void DesktopTest::legibleUnderADarkPalette_data() {
  QTest::addColumn<bool>("calculated");  // after the worked example, else at start
  QTest::addColumn<double>("lowest");

  // Black on the window grey, the white fields and the scroll-bar grey, and
  // blue on the scroll-bar grey, all at 4.5:1 or more. The window's own red on
  // its own grey reaches 3.48:1, and no more under any theme.
  constexpr double kReadable = 4.5;
  constexpr double kRedOnGrey = 3.47;
  for (const char* name :
       {"Label1", "Label2",   "Label3",   "Label4",   "Label5",  "Label6", "Label7", "Label8",
        "Label9", "Label10",  "Label11",  "Label12",  "Label13", "jkrq",   "dqrq",   "hkrq",
        "qxrq",   "hkje",     "ll",       "zcts",     "zclx",    "yqts",   "yqll",   "yqlx",
        "hj",     "Command1", "Command2", "Command3", "Frame1",  "zjlx",   "hbjx"}) {
    QTest::newRow(name) << true << kReadable;
  }
  QTest::newRow("l1") << true << kRedOnGrey;
  QTest::newRow("l2") << false << kRedOnGrey;
  QTest::newRow("Text1") << true << kRedOnGrey;
  QTest::newRow("Text2") << true << kRedOnGrey;
}

void DesktopTest::legibleUnderADarkPalette() {
  QFETCH(bool, calculated);
  QFETCH(double, lowest);

  const QPalette desktop = QApplication::palette();
  QApplication::setPalette(DarkPalette());
  const auto restore = qScopeGuard([&desktop] { QApplication::setPalette(desktop); });
  Form1 form(FixedClock());
  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  if (calculated) {
    BoxCatcher catcher;
    Enter(form, WorkedExample());
    Click(form, "Command1");
    QCOMPARE(Text(form, "hj"), QStringLiteral("561.98"));
  }
  QTRY_VERIFY(!Text(form, "Text2").isEmpty());
  QWidget* control = form.control(QTest::currentDataTag());
  QVERIFY(control->isVisible());

  const TextOnScreen text = MeasureText(form, control);
  QVERIFY2(text.contrast >= lowest,
           qPrintable(QStringLiteral("%1:1").arg(text.contrast, 0, 'f', 2)));
  // The text stands on its control's own even colour (a button's face shades
  // a little), never on the emblem.
  QVERIFY2(text.spread < 1.1, qPrintable(QStringLiteral("%1:1").arg(text.spread, 0, 'f', 2)));
}

}  // namespace quillbary::testing

QTEST_MAIN(quillbary::testing::DesktopTest)
#include "desktop_test.moc"
