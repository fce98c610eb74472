#include "app/app_setup.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "sans_font.h"

namespace quillbary {

namespace {

// The faces a Windows installation ships beside the program (the total's EB
// Garamond, the page's Song face and DejaVu Serif), so that the total and the
// PDF look as they do on Debian, where the system has them.
void AddShippedFaces() {
  const QDir faces(QCoreApplication::applicationDirPath() + QStringLiteral("/fonts"));
  for (const QString& name : faces.entryList({QStringLiteral("*.otf"), QStringLiteral("*.ttf")})) {
    QFontDatabase::addApplicationFont(faces.filePath(name));
  }
}

// Qt's translations: those shipped beside the program, else Qt's own.
QString TranslationsFolder() {
  const QString shipped = QCoreApplication::applicationDirPath() + QStringLiteral("/translations");
  return QDir(shipped).exists() ? shipped : QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

}  // namespace

bool SetUpApplication() {
  AddShippedFaces();
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
  if (!translator->load(QStringLiteral("qtbase_zh_CN"), TranslationsFolder())) {
    delete translator;
    return false;
  }
  return QCoreApplication::installTranslator(translator);
}

}  // namespace quillbary
