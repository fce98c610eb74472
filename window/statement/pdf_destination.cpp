#include "statement/pdf_destination.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace quillbary {
namespace {

constexpr auto kFolderKey = "pdf/folder";

// Named here, not by the application, so that every caller reads the same
// file; in tests QStandardPaths' test mode puts it aside.
QSettings UserSettings() {
  return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Quillbary"),
                   QStringLiteral("quillbary"));
}

bool IsFolder(const QString& path) {
  return !path.isEmpty() && QFileInfo(path).isDir();
}

}  // namespace

QString PdfStartFolder() {
  const QString last = UserSettings().value(kFolderKey).toString();
  if (IsFolder(last)) return last;
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (IsFolder(documents)) return documents;
  return QDir::homePath();
}

void RememberPdfFolder(const QString& savedPath) {
  QSettings settings = UserSettings();
  settings.setValue(kFolderKey, QFileInfo(savedPath).absolutePath());
}

QString WithPdfSuffix(const QString& path) {
  if (path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) return path;
  return path + QStringLiteral(".pdf");
}

}  // namespace quillbary
