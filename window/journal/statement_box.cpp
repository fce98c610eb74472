#include "journal/statement_box.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "qt_text.h"
#include "quillbary/handed_statement.h"

namespace quillbary {
namespace {

struct HeaderLine {
  const char* caption;
  const char* objectName;
  std::string journal::StatementHeader::*member;
};

constexpr std::array<HeaderLine, 3> kHeaderLines = {{
    {"借款人", "borrower", &journal::StatementHeader::borrower},
    {"借据号", "loanNumber", &journal::StatementHeader::loanNumber},
    {"经办人", "clerk", &journal::StatementHeader::clerk},
}};

struct Button {
  const char* text;
  void (StatementBox::*clicked)();
};

}  // namespace

StatementBox::StatementBox(QWidget* parent, Mode mode) : QDialog(parent) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(mode == Mode::kCurrent ? QStringLiteral("计算过程") : QStringLiteral("计息单"));
  auto* form = new QFormLayout;
  for (std::size_t i = 0; i < kHeaderLines.size(); ++i) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::fromUtf8(kHeaderLines[i].objectName));
    edit->setReadOnly(mode == Mode::kRecorded);
    edit->setMaxLength(200);
    connect(edit, &QLineEdit::textEdited, this, &StatementBox::headerEdited);
    form->addRow(QString::fromUtf8(kHeaderLines[i].caption) + QStringLiteral("："), edit);
    headerEdits_[i] = edit;
  }
  if (mode == Mode::kRecorded) {
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("status"));
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form->addRow(QStringLiteral("状态："), status_);
  }
  view_ = new QPlainTextEdit(this);
  view_->setObjectName(QStringLiteral("statementView"));
  view_->setReadOnly(true);
  view_->setLineWrapMode(QPlainTextEdit::NoWrap);
  // The whole statement without scrolling where the screen has the room; on
  // a low screen the view scrolls, so that the box's buttons stay on it.
  constexpr int kWholeStatement = 500;
  constexpr int kHeaderAndButtons = 220;
  constexpr int kVoidLines = 80;  // a recorded one's status: 已作废, reason, time, 经办人
  const int around = kHeaderAndButtons + (mode == Mode::kRecorded ? kVoidLines : 0);
  const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
  const int room = screen ? screen->availableGeometry().height() - around : kWholeStatement;
  view_->setMinimumSize(540, std::clamp(room, 200, kWholeStatement));

  auto* buttons = new QDialogButtonBox(this);
  const auto add = [&](const Button& button) {
    QPushButton* push =
        buttons->addButton(QString::fromUtf8(button.text), QDialogButtonBox::ActionRole);
    connect(push, &QPushButton::clicked, this, button.clicked);
    return push;
  };
  if (mode == Mode::kCurrent) {
    for (const Button& button :
         {Button{"复制", &StatementBox::copyClicked}, Button{"打印…", &StatementBox::printClicked},
          Button{"导出 PDF…", &StatementBox::pdfClicked}}) {
      add(button);
    }
  } else {
    reprint_ = buttons->addButton(QStringLiteral("补打"), QDialogButtonBox::ActionRole);
    auto* ways = new QMenu(reprint_);
    connect(ways->addAction(QStringLiteral("打印…")), &QAction::triggered, this,
            [this] { emit reprintChosen(StatementMenu::HandOnWay::kPrint); });
    connect(ways->addAction(QStringLiteral("导出 PDF…")), &QAction::triggered, this,
            [this] { emit reprintChosen(StatementMenu::HandOnWay::kPdf); });
    reprint_->setMenu(ways);
    void_ = add({"作废…", &StatementBox::voidClicked});
    add({"复制", &StatementBox::copyClicked});
  }
  QPushButton* close = buttons->addButton(QStringLiteral("关闭"), QDialogButtonBox::RejectRole);
  close->setDefault(true);
  connect(close, &QPushButton::clicked, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(view_);
  layout->addWidget(buttons);
}

void StatementBox::setStatement(const Statement& statement, const journal::StatementHeader& header,
                                const std::string& serial) {
  for (std::size_t i = 0; i < kHeaderLines.size(); ++i) {
    const QString value = ToQString(header.*kHeaderLines[i].member);
    // Only when it differs, so that typing keeps its cursor.
    if (headerEdits_[i]->text() != value) headerEdits_[i]->setText(value);
  }
  view_->setPlainText(
      ToQString(StatementText(journal::HandedStatement(statement, header, serial))));
}

journal::StatementHeader StatementBox::header() const {
  journal::StatementHeader header;
  for (std::size_t i = 0; i < kHeaderLines.size(); ++i) {
    header.*kHeaderLines[i].member = headerEdits_[i]->text().toStdString();
  }
  return header;
}

void StatementBox::setRecord(const journal::StatementSummary& summary,
                             const std::optional<journal::Entry>& voidEntry) {
  if (!status_) return;
  const QString reprints =
      summary.reprints > 0 ? QStringLiteral("补打 %1 次").arg(summary.reprints) : QString();
  if (!voidEntry) {
    status_->setText(reprints.isEmpty() ? QStringLiteral("有效") : reprints);
  } else {
    const QString clerk = ToQString(voidEntry->header.clerk);
    status_->setText(
        QStringLiteral("已作废%1\n原因：%2\n作废时间：%3\n经办人：%4")
            .arg(reprints.isEmpty() ? QString() : QStringLiteral("（%1）").arg(reprints),
                 ToQString(voidEntry->reason), ToQString(voidEntry->recordedAt),
                 clerk.isEmpty() ? QStringLiteral("（未填）") : clerk));
  }
  reprint_->setEnabled(!voidEntry);
  void_->setEnabled(!voidEntry);
}

QString StatementBox::status() const {
  return status_ ? status_->text() : QString();
}

}  // namespace quillbary
