// The floor of a 1 ms clock: the bare window plus a 1 ms timer whose tick
// only reads the system clock once and keeps the reading.
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

  std::chrono::system_clock::time_point lastTick;
  QTimer clock;
  clock.setInterval(1);
  QObject::connect(&clock, &QTimer::timeout, [&lastTick] { lastTick = std::chrono::system_clock::now(); });
  clock.start();

  window.show();
  return QApplication::exec();
}
