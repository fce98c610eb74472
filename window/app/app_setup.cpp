#include "app/app_setup.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "sans_font.h"

namespace quillbary {

bool SetUpApplication() {
  // The digits, the decimal point and the calendar of the default locale are
  // those of the fixed forms, and the pickers' calendars name months and
  // weekdays in Chinese.
  QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));

  // Menus, tips and dialogs are windows of their own and take the
  // application's font for their class, not the window's.
  for (const char* className : {"QMenu", "QTipLabel", "QDialog"}) {
    QApplication::setFont(SansFont(), className);
  }

  // Chosen by name, not by the system's languages.
  auto* translator = new QTranslator(QCoreApplication::instance());
  if (!translator->load(QStringLiteral("qtbase_zh_CN"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  return QCoreApplication::installTranslator(translator);
}

}  // namespace quillbary
