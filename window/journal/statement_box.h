// The statement box (计算过程…): the statement as it will be handed on, with
// the header lines above it. For the figures on screen the clerk fills in
// 借款人, 借据号 and 经办人 and hands it on from here (复制, 打印…, 导出 PDF…);
// a statement from the history is shown read-only, with 补打, 作废… and 复制.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <array>
#include <optional>

#include "quillbary/journal.h"
#include "statement/statement_menu.h"

class QLabel;
class QPushButton;

namespace quillbary {

class StatementBox : public QDialog {
  Q_OBJECT

 public:
  enum class Mode { kCurrent, kRecorded };
  StatementBox(QWidget* parent, Mode mode);

  // Shows the statement as handed on under serial (none yet: empty).
  void setStatement(const Statement& statement, const journal::StatementHeader& header,
                    const std::string& serial);
  journal::StatementHeader header() const;
  // A recorded one's state: 有效, its reprints, or 已作废 with the void's
  // reason, time and 经办人. A voided one offers neither 补打 nor 作废….
  void setRecord(const journal::StatementSummary& summary,
                 const std::optional<journal::Entry>& voidEntry);
  QString text() const { return view_->toPlainText(); }
  QString status() const;

 signals:
  void headerEdited();
  void copyClicked();
  void printClicked();
  void pdfClicked();
  void voidClicked();
  void reprintChosen(StatementMenu::HandOnWay way);

 private:
  std::array<QLineEdit*, 3> headerEdits_{};  // 借款人, 借据号, 经办人
  QPlainTextEdit* view_;
  QLabel* status_ = nullptr;
  QPushButton* reprint_ = nullptr;
  QPushButton* void_ = nullptr;
};

}  // namespace quillbary
