// The start-up and memory floor: a fixed 452x220 window titled "Quillbary"
// with one label in Chinese, so that a CJK font is loaded as in the program.
#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle(QStringLiteral("Quillbary"));
  window.setFixedSize(452, 220);
  QLabel label(QStringLiteral("借款日期"), &window);
  label.move(20, 20);
  window.show();
  return QApplication::exec();
}
