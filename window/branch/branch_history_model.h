// The branch history's table: the statements of every terminal matching a
// filter, newest first, read from the branch's server a page at a time as
// the view scrolls.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "paged_rows.h"
#include "quillbary/branch.h"

namespace quillbary {

class BranchHistoryModel : public PagedRows<branch::BranchStatement> {
  Q_OBJECT

 public:
  static constexpr int kPageRows = 100;

  explicit BranchHistoryModel(QObject* parent = nullptr) : PagedRows(parent) {}

  // Reads the first page matching filter; the server's refusal or a lost
  // connection leaves the table empty and is returned.
  std::optional<branch::BranchError> load(branch::Branch* branch,
                                          const branch::BranchFilter& filter);

  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  branch::Branch* branch_ = nullptr;
  branch::BranchFilter filter_;
};

// The 复核 column's text: "通过 supervisor_s", "退回：借据号有误", or "待复核".
std::string ReviewColumnText(const branch::BranchStatement& statement);

}  // namespace quillbary
