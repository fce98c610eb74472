// Quillbary: the interest due when a loan, or part of one, is repaid.
#include <QApplication>
#include <iostream>

#include "app/app_setup.h"
#include "app/command_line.h"
#include "app/deferred_icon.h"
#include "app/local_clock.h"
#include "form/form1.h"

int main(int argc, char* argv[]) {
  // --help, --version and wrong arguments are answered before QApplication,
  // which aborts when there is no display.
  const auto answered = quillbary::AnswerCommandLine({argv + 1, argv + argc}, QUILLBARY_VERSION,
                                                     std::cout, std::cerr);
  if (answered) return *answered;

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quillbary"));
  QApplication::setApplicationVersion(QStringLiteral(QUILLBARY_VERSION));
  QApplication::setDesktopFileName(QStringLiteral("org.quillbary.quillbary"));
  if (!quillbary::SetUpApplication()) qWarning("Qt's Chinese translations are not installed");

  quillbary::Form1 form1(quillbary::LocalClock{});
  form1.show();
  quillbary::SetWindowIconAfterFirstPaint(&form1, QStringLiteral(":/icon.png"));
  return QApplication::exec();
}
