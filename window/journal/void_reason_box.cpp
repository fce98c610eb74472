#include "journal/void_reason_box.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "quillbary/journal.h"
#include "sans_font.h"

namespace quillbary {
namespace {

// The most a reason holds, as the header lines.
constexpr int kReasonLength = 200;

bool HasReason(const QString& text) {
  return journal::HasNonBlank(text.toStdString());
}

}  // namespace

VoidReasonBox::VoidReasonBox(QWidget* parent, const QString& serial) : QDialog(parent) {
  setFont(SansFont());
  setWindowTitle(QStringLiteral("作废"));
  reason_ = new QLineEdit(this);
  reason_->setObjectName(QStringLiteral("reason"));
  reason_->setMaxLength(kReasonLength);
  reason_->setMinimumWidth(reason_->fontMetrics().horizontalAdvance(QString(24, QChar(0x4E00))));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  ok_->setText(QStringLiteral("确定"));
  ok_->setEnabled(false);
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
  connect(reason_, &QLineEdit::textChanged, ok_,
          [this](const QString& text) { ok_->setEnabled(HasReason(text)); });
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("作废编号为 %1 的计息单，原因：").arg(serial), this));
  layout->addWidget(reason_);
  layout->addWidget(buttons);
}

QString VoidReasonBox::reason() const {
  return reason_->text().trimmed();
}

QString AskVoidReason(QWidget* parent, const QString& serial) {
  VoidReasonBox box(parent, serial);
  // Enter in a blank reason would accept the box past its disabled button.
  return box.exec() == QDialog::Accepted && HasReason(box.reason()) ? box.reason() : QString();
}

}  // namespace quillbary
