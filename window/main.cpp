// Quillbary: the interest due when a loan, or part of one, is repaid.
#include <QApplication>
#include <QIcon>

#include "app_setup.h"
#include "form1.h"
#include "local_clock.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quillbary"));
  QApplication::setApplicationVersion(QStringLiteral(QUILLBARY_VERSION));
  QApplication::setDesktopFileName(QStringLiteral("org.quillbary.Quillbary"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/icon.png")));
  if (!quillbary::SetUpApplication()) qWarning("Qt's Chinese translations are not installed");

  quillbary::Form1 form1(quillbary::LocalClock{});
  form1.show();
  return QApplication::exec();
}
