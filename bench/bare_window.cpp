// The floors the program is measured against: a fixed 452x220 window titled
// "Quillbary" with one label in Chinese, so that a CJK font is loaded as in
// the program (bare_window, the start-up and memory floor). Built with
// BARE_WITH_CLOCK, it also runs a 1 ms timer whose tick only reads the
// system clock once and keeps the reading (bare_timer_window, the floor of a
// 1 ms clock).
#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <chrono>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle(QStringLiteral("Quillbary"));
  window.setFixedSize(452, 220);
  QLabel label(QStringLiteral("借款日期"), &window);
  label.move(20, 20);

#ifdef BARE_WITH_CLOCK
  std::chrono::system_clock::time_point lastTick;
  QTimer clock;
  clock.setInterval(1);
  QObject::connect(&clock, &QTimer::timeout,
                   [&lastTick] { lastTick = std::chrono::system_clock::now(); });
  clock.start();
#endif

  window.show();
  return QApplication::exec();
}
