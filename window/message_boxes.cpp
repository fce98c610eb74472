#include "message_boxes.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QString>

#include "qt_text.h"
#include "sans_font.h"

namespace quillbary {
namespace {

void ShowBox(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
             const QString& detail = {}) {
  QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
  box.setFont(SansFont());  // not the window's Song face
  box.setInformativeText(detail);
  box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
  box.setEscapeButton(QMessageBox::Ok);  // Escape closes the box as 确定 does
  box.exec();
}

}  // namespace

void ShowWarning(QWidget* parent, std::string_view text) {
  ShowBox(parent, QMessageBox::Warning, QStringLiteral("提示"), ToQString(text));
}

void ShowError(QWidget* parent, const CalcError& error, std::string_view field) {
  const ErrorCode code = error.code();
  QString detail = QStringLiteral("计算已停止，输入的内容都已保留。");
  if (!field.empty()) detail.prepend(QStringLiteral("出错的栏目：%1。").arg(ToQString(field)));
  ShowBox(parent, QMessageBox::Critical, QStringLiteral("Quillbary"),
          ToQString(ErrorHeading(code)) + QStringLiteral("\n\n") + ToQString(ErrorName(code)),
          detail);
}

void ShowFailure(QWidget* parent, const QString& title, const QString& text) {
  ShowBox(parent, QMessageBox::Critical, title, text);
}

}  // namespace quillbary
