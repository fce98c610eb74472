// 历史记录: the journal's statements, newest first, found by part of the
// borrower, the loan number or the 编号 as it is typed, by a date range and by
// status; an entry opens in the statement box, and the rows shown export to
// CSV or XLSX.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QLineEdit>
#include <QTableView>

#include "journal/history_model.h"

namespace quillbary {

class JournalDesk;

class HistoryWindow : public QDialog {
  Q_OBJECT

 public:
  HistoryWindow(JournalDesk* desk, QWidget* parent);

  HistoryModel* model() { return &model_; }
  QLineEdit* filterText() { return text_; }
  QCheckBox* dateRange() { return useDates_; }
  QDateEdit* fromDate() { return from_; }
  QDateEdit* toDate() { return to_; }
  QComboBox* status() { return status_; }
  QTableView* table() { return table_; }

  void reload();               // the filter as it stands, from the first row
  void openCurrent();          // the selected statement in the statement box
  void exportRows(bool xlsx);  // every row matching the filter

 signals:
  void exported(const QString& path);

 private:
  journal::StatementFilter currentFilter() const;

  JournalDesk* desk_;
  HistoryModel model_;
  QLineEdit* text_;
  QCheckBox* useDates_;
  QDateEdit* from_;
  QDateEdit* to_;
  QComboBox* status_;
  QTableView* table_;
};

}  // namespace quillbary
