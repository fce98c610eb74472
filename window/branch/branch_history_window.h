// 分行历史记录: the statements of every terminal of the branch, from the
// branch's server, found by part of the borrower, the loan number or the 编号
// as it is typed, by terminal, clerk, date range and review; a supervisor
// records 复核 (通过, or 退回 with a reason) of the selected statement. What
// the server says (a refusal, a lost connection) shows on the window's own
// line rather than in a box. 日终汇总… previews the day's close of the day
// the range ends on (today without a range) and of the chosen terminal (the
// whole branch for 全部终端), to print or to print into a PDF.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <functional>
#include <memory>

#include "branch/branch_history_model.h"
#include "quillbary/safe_file.h"

namespace quillbary {

class BranchHistoryWindow : public QDialog {
  Q_OBJECT

 public:
  // The reason a statement is sent back, or empty when the clerk cancelled.
  using ReasonAsker = std::function<QString(QWidget* parent, const QString& serial)>;

  // A page printed into a file never replaces what `kept` names.
  BranchHistoryWindow(const std::string& conninfo, QWidget* parent,
                      files::WriteOptions kept = {});
  ~BranchHistoryWindow() override;

  BranchHistoryModel* model() { return &model_; }
  QLineEdit* filterText() { return text_; }
  QComboBox* terminal() { return terminal_; }
  QComboBox* clerk() { return clerk_; }
  QCheckBox* dateRange() { return useDates_; }
  QDateEdit* fromDate() { return from_; }
  QDateEdit* toDate() { return to_; }
  QComboBox* review() { return review_; }
  QTableView* table() { return table_; }
  QLabel* message() { return message_; }
  void setReasonAsker(ReasonAsker asker) { askReason_ = std::move(asker); }

  void reload();                             // the filter as it stands, from the first row
  void reviewCurrent(branch::Verdict verdict);  // 复核 of the selected statement
  QString currentStatementText();            // the selected statement, as handed on
  // The day's close the window's day and terminal choose; nothing, said on
  // the window's line, when the server refuses or cannot be reached.
  std::optional<branch::DayClose> dayClose();
  void printDayClose();                      // 日终汇总…: its preview, to print

 private:
  branch::BranchFilter currentFilter() const;
  void say(const QString& text, bool problem);
  void openCurrent();

  std::unique_ptr<branch::Branch> branch_;
  BranchHistoryModel model_;
  QLineEdit* text_;
  QComboBox* terminal_;
  QComboBox* clerk_;
  QCheckBox* useDates_;
  QDateEdit* from_;
  QDateEdit* to_;
  QComboBox* review_;
  QTableView* table_;
  QLabel* message_;
  ReasonAsker askReason_;
  files::WriteOptions kept_;
};

// Opens the branch history of the branch at conninfo, as a window of its own.
void OpenBranchHistory(const std::string& conninfo, const files::WriteOptions& kept,
                       QWidget* parent);

}  // namespace quillbary
