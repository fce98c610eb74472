// The history's table: the journal's statements, newest first, matching a
// filter, read a page at a time as the view scrolls.
#pragma once

#include <vector>

#include "paged_rows.h"
#include "quillbary/journal.h"

namespace quillbary {

class HistoryModel : public PagedRows<journal::StatementSummary> {
  Q_OBJECT

 public:
  static constexpr int kPageRows = 100;
  static constexpr int kTotalColumn = 5;   // 合计: "本息合计：10561.98"
  static constexpr int kReviewColumn = 6;  // 复核, shown for a branch terminal's journal

  explicit HistoryModel(QObject* parent = nullptr) : PagedRows(parent) {}

  // Reads the first page of statements matching filter; a journal error
  // leaves the table empty and is returned.
  std::optional<journal::JournalError> load(journal::Journal* journal,
                                            const journal::StatementFilter& filter);
  const journal::StatementFilter& filter() const { return filter_; }

  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  journal::Journal* journal_ = nullptr;
  journal::StatementFilter filter_;
};

}  // namespace quillbary
