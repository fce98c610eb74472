#include "menu/menu_commands.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QStandardPaths>
#include <filesystem>

#include "journal/journal_desk.h"
#include "message_boxes.h"
#include "qt_text.h"
#include "quillbary/batch_run.h"
#include "sans_font.h"

namespace quillbary {
namespace {

void ShowInformation(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                     const QString& text) {
  QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
  box.setFont(SansFont());
  box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
  box.setEscapeButton(QMessageBox::Ok);
  box.exec();
}

QString ChainText(const journal::ChainCheck& check, const QString& path) {
  if (check.intact) return QStringLiteral("日志完好：共 %1 条\n%2").arg(check.entries).arg(path);
  QString where;
  if (check.firstBadSeq > 0) {
    where = QStringLiteral("第 %1 条").arg(check.firstBadSeq);
    if (!check.firstBadSerial.empty()) {
      where += QStringLiteral("（编号 %1）").arg(ToQString(check.firstBadSerial));
    }
    where += QStringLiteral("：");
  }
  return QStringLiteral("日志有误：%1%2\n%3").arg(where, ToQString(check.problem), path);
}

}  // namespace

void CheckJournal(QWidget* parent, JournalDesk* desk) {
  journal::Journal* open = desk->journal();
  if (!open) return;
  const QString path = QDir::toNativeSeparators(TextOf(open->path()));
  try {
    const journal::ChainCheck check = open->CheckChain();
    ShowInformation(parent, check.intact ? QMessageBox::Information : QMessageBox::Warning,
                    QStringLiteral("检查日志"), ChainText(check, path));
  } catch (const journal::JournalError& error) {
    desk->tell(QStringLiteral("无法检查日志"),
               QStringLiteral("日志：%1\n原因：%2").arg(path, ToQString(error.reason)));
  }
}

QString ChooseTemplatePath(QWidget* parent, const QString& suggested) {
  return QFileDialog::getSaveFileName(parent, QStringLiteral("写出批量计算模板"), suggested,
                                      QStringLiteral("Excel 工作簿 (*.xlsx);;CSV 文件 (*.csv)"));
}

QString WriteTemplate(QWidget* parent, const TemplateChooser& choose) {
  const QString suggested =
      QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
          .filePath(QStringLiteral("批量计算模板.xlsx"));
  const QString path = choose(parent, suggested);
  if (path.isEmpty()) return {};
  if (!batch::IsXlsxName(PathOf(path)) &&
      !path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)) {
    ShowFailure(parent, QStringLiteral("写出模板"),
                QStringLiteral("模板文件名应以 .csv 或 .xlsx 结尾：\n%1")
                    .arg(QDir::toNativeSeparators(path)));
    return {};
  }
  try {
    batch::WriteBatchTemplate(PathOf(path));
  } catch (const std::runtime_error& e) {  // files::FileError, or libxlsxwriter missing
    ShowFailure(parent, QStringLiteral("写出模板"),
                QStringLiteral("模板未能写出到：\n%1\n\n%2")
                    .arg(QDir::toNativeSeparators(path), QString::fromUtf8(e.what())));
    return {};
  }
  return path;
}

void ShowAbout(QWidget* parent) {
  ShowInformation(parent, QMessageBox::Information, QStringLiteral("关于 Quillbary"),
                  QStringLiteral("Quillbary %1\n\n还款利息计算：正常利息按月利率计至到期日，"
                                 "逾期利息按月利率的 1.5 倍计至还款日，每月按 30 天计。")
                      .arg(QApplication::applicationVersion()));
}

}  // namespace quillbary
